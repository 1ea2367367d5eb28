#include "webhelper/serialiser.h"

#include "webhelper/textcut.h"
#include "webhelper/voidelements.h"
#include "webprotocol/caps.h"

#include <vector>

namespace tarvo::webhelper {
namespace {

bool isVoid(GumboTag tag) {
    return isVoidElement(gumbo_normalized_tagname(tag));
}

// Text inside these elements is written as it stands, not escaped.
bool holdsRawText(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
        return true;
    default:
        return false;
    }
}

// Never shown: scripts, plug-ins and what only a scripting or resource-loading browser uses.
bool isHidden(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_APPLET:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_META:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_SVG:
    case GUMBO_TAG_MATH:
        return true;
    default:
        return false;
    }
}

bool isPlainName(QLatin1String name) {
    if (name.isEmpty())
        return false;
    for (char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':'))
            return false;
    return true;
}

QString tagName(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN)
        return QString::fromLatin1(gumbo_normalized_tagname(element.tag));
    GumboStringPiece piece = element.original_tag;
    gumbo_tag_from_original_text(&piece);
    if (piece.length == 0)
        return QStringLiteral("unknown");
    return QString::fromUtf8(piece.data, qsizetype(piece.length)).toLower();
}

// Appends until limit characters; beyond that the rest is dropped, or for text that is
// cut (cuts), cut at the limit.
class Writer {
public:
    Writer(qsizetype limit, bool cuts)
        : m_limit(limit)
        , m_cuts(cuts) {}

    void put(QStringView text) {
        if (m_full)
            return;
        if (m_out.size() + text.size() > m_limit) {
            m_full = true;
            return;
        }
        m_out += text;
    }
    void put(QChar c) { put(QStringView(&c, 1)); }
    // Angle brackets in attribute values are escaped only when asked (what is shown
    // keeps every '<' a tag's).
    void escaped(QStringView text, bool inAttribute, bool angles = false) {
        qsizetype plain = 0;
        for (qsizetype i = 0; i < text.size(); ++i) {
            const QChar c = text[i];
            const char* entity = nullptr;
            if (c == u'&')
                entity = "&amp;";
            else if (c == QChar(0xA0))
                entity = "&nbsp;";
            else if (inAttribute && c == u'"')
                entity = "&quot;";
            else if ((!inAttribute || angles) && c == u'<')
                entity = "&lt;";
            else if ((!inAttribute || angles) && c == u'>')
                entity = "&gt;";
            if (!entity)
                continue;
            putText(text.mid(plain, i - plain), inAttribute);
            put(QString::fromLatin1(entity));
            plain = i + 1;
        }
        putText(text.mid(plain), inAttribute);
    }
    bool full() const { return m_full; }
    void stop() { m_full = true; }
    QString take() { return std::move(m_out); }

private:
    void putText(QStringView text, bool inAttribute) {
        if (!m_cuts || inAttribute || m_full || m_out.size() + text.size() <= m_limit) {
            put(text);
            return;
        }
        m_out += cutText(text, m_limit - m_out.size());
        m_full = true;
    }

    qsizetype m_limit;
    bool m_cuts;
    QString m_out;
    bool m_full = false;
};

enum class SerialiseMode { Original, Display };

// display is set in the Display mode only.
class Serialiser {
public:
    using Mode = SerialiseMode;

    Serialiser(Mode mode, const Markup::Display* display)
        : m_mode(mode)
        , m_display(display)
        , m_out(mode == Mode::Original ? webprotocol::MaxInnerHtml : display->caps.markup,
                mode == Mode::Display) {}

    QString children(const GumboNode* root) {
        struct Level {
            const GumboNode* node;
            unsigned next;
            bool tagWritten;
            QString name;
        };
        std::vector<Level> stack;
        stack.push_back({root, 0, false, {}});
        while (!stack.empty() && !m_out.full()) {
            Level& level = stack.back();
            const GumboVector& children = childrenOf(level.node);
            if (level.next >= children.length) {
                if (level.tagWritten)
                    endTag(level.name);
                stack.pop_back();
                continue;
            }
            const auto* child = static_cast<const GumboNode*>(children.data[level.next++]);
            const GumboNode* parent = level.node;
            switch (child->type) {
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
                text(child, parent);
                break;
            case GUMBO_NODE_CDATA:
                if (m_mode == Mode::Original) {
                    m_out.put(u"<![CDATA[");
                    m_out.put(QString::fromUtf8(child->v.text.text));
                    m_out.put(u"]]>");
                } else {
                    m_out.escaped(QString::fromUtf8(child->v.text.text), false);
                }
                break;
            case GUMBO_NODE_COMMENT:
                if (m_mode == Mode::Original) {
                    m_out.put(u"<!--");
                    m_out.put(QString::fromUtf8(child->v.text.text));
                    m_out.put(u"-->");
                }
                break;
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                Level next{child, 0, false, {}};
                if (enter(child, int(stack.size()), next))
                    stack.push_back(std::move(next));
                break;
            }
            case GUMBO_NODE_DOCUMENT:
                break;
            }
        }
        return m_out.take();
    }

private:
    void text(const GumboNode* node, const GumboNode* parent) {
        const QString text = QString::fromUtf8(node->v.text.text);
        if (m_mode == Mode::Display)
            shownText(text);
        else if (parent->type != GUMBO_NODE_DOCUMENT && holdsRawText(parent->v.element.tag))
            m_out.put(text);
        else
            m_out.escaped(text, false);
    }

    template <typename Level> bool enter(const GumboNode* node, int depth, Level& level) {
        const GumboElement& element = node->v.element;
        const QString name = tagName(element);
        if (m_mode == Mode::Original) {
            level.name = name.toUpper();
            startTag(level.name, element, {});
            level.tagWritten = !isVoid(element.tag);
            return !isVoid(element.tag);
        }

        if (element.tag == GUMBO_TAG_FRAME || element.tag == GUMBO_TAG_IFRAME) {
            if (!attribute(element, "src").isEmpty()) {
                const int index = m_frames++;
                if (m_display->frameBody && counted()) {
                    m_out.put(u"<div>");
                    m_out.put(m_display->frameBody(index));
                    m_out.put(u"</div>");
                }
            }
            return false;
        }
        if (isHidden(element.tag))
            return false;
        if (element.tag == GUMBO_TAG_IMG) {
            const QUrl url = m_display->base.resolved(QUrl(attribute(element, "src")));
            if (depth <= m_display->caps.depth && m_display->hasImage && m_display->hasImage(url) &&
                counted()) {
                startTag(QStringLiteral("img"), element, url.toString(QUrl::FullyEncoded));
            } else {
                shownText(attribute(element, "alt"));
            }
            return false;
        }
        // Too deep to lay out, or unknown (its name may hold anything): the tag goes,
        // its content stays.
        if (depth > m_display->caps.depth || isVoid(element.tag) ||
            element.tag == GUMBO_TAG_UNKNOWN) {
            if ((element.tag == GUMBO_TAG_BR || element.tag == GUMBO_TAG_HR) && counted())
                m_out.put(u"<br>");
            return !isVoid(element.tag);
        }
        if (!counted())
            return false;
        level.name = element.tag == GUMBO_TAG_FRAMESET ? QStringLiteral("div") : name;
        QString href;
        if (element.tag == GUMBO_TAG_A) {
            const QString target = attribute(element, "href");
            if (!target.isEmpty())
                href = m_display->base.resolved(QUrl(target)).toString(QUrl::FullyEncoded);
        }
        startTag(level.name, element, href);
        level.tagWritten = true;
        return true;
    }

    // replacement, when not empty, stands for the element's link or image address.
    void startTag(const QString& name, const GumboElement& element, const QString& replacement) {
        m_out.put(u'<');
        m_out.put(name);
        for (unsigned i = 0; i < element.attributes.length; ++i) {
            const auto* attr = static_cast<const GumboAttribute*>(element.attributes.data[i]);
            const QLatin1String attrName(attr->name);
            const char* value = attr->value;
            QByteArray replaced;
            if (m_mode == Mode::Display) {
                // Nothing runs scripts, but handlers have no business in what is shown;
                // nor have names that could break the markup.
                if (attrName.startsWith(QLatin1String("on")) || !isPlainName(attrName))
                    continue;
                if (attrName == u"href" || attrName == u"src") {
                    if (replacement.isEmpty())
                        continue;
                    replaced = replacement.toUtf8();
                    value = replaced.constData();
                }
            }
            m_out.put(u' ');
            m_out.put(QString::fromUtf8(attr->name));
            m_out.put(u"=\"");
            m_out.escaped(QString::fromUtf8(value), true, m_mode == Mode::Display);
            m_out.put(u'"');
        }
        m_out.put(u'>');
    }

    // One more element shown, if the caps allow it; past them the document ends here.
    bool counted() {
        if (++m_elements <= m_display->caps.elements)
            return true;
        m_out.stop();
        return false;
    }

    // Text shown within the text cap: a run past it is cut there (see cutText), and the
    // document ends after it.
    void shownText(const QString& text) {
        const qsizetype left = m_display->caps.text - m_text;
        if (text.size() <= left) {
            m_text += text.size();
            m_out.escaped(text, false);
            return;
        }
        m_text = m_display->caps.text;
        m_out.escaped(cutText(text, left), false);
        m_out.stop();
    }

    void endTag(const QString& name) {
        m_out.put(u"</");
        m_out.put(name);
        m_out.put(u'>');
    }

    Mode m_mode;
    const Markup::Display* m_display;
    Writer m_out;
    int m_frames = 0;
    int m_elements = 0;
    qsizetype m_text = 0;
};

} // namespace

const GumboVector& childrenOf(const GumboNode* node) {
    return node->type == GUMBO_NODE_DOCUMENT ? node->v.document.children : node->v.element.children;
}

const GumboNode* findChild(const GumboNode* node, GumboTag tag) {
    const GumboVector& children = childrenOf(node);
    for (unsigned i = 0; i < children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(children.data[i]);
        if ((child->type == GUMBO_NODE_ELEMENT || child->type == GUMBO_NODE_TEMPLATE) &&
            child->v.element.tag == tag)
            return child;
    }
    return nullptr;
}

QString attribute(const GumboElement& element, const char* name) {
    const GumboAttribute* found = gumbo_get_attribute(&element.attributes, name);
    return found ? QString::fromUtf8(found->value).trimmed() : QString();
}

QString serialiseOriginal(const GumboNode* node) {
    return Serialiser(SerialiseMode::Original, nullptr).children(node);
}

QString serialiseDisplay(const GumboNode* node, const Markup::Display& display) {
    return Serialiser(SerialiseMode::Display, &display).children(node);
}

} // namespace tarvo::webhelper
