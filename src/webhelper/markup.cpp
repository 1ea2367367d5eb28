#include "webhelper/markup.h"

#include "webhelper/nesting.h"
#include "webhelper/outofmemory.h"
#include "webhelper/serialiser.h"

#include <gumbo.h>

#include <algorithm>
#include <vector>

namespace tarvo::webhelper {
namespace {

// Levels of nesting the parser is given.
constexpr int MaxDepth = 512;
// All the head's style sheets together.
constexpr qsizetype MaxStyle = 16 * 1024;

// Inert content (a template's) and foreign content (SVG, MathML) is never shown, so
// nothing in it is fetched.
void collect(const GumboNode* root, std::initializer_list<GumboTag> tags, QStringList& found) {
    std::vector<const GumboNode*> stack{root};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT)
            continue;
        if (node->type == GUMBO_NODE_ELEMENT &&
            node->v.element.tag_namespace != GUMBO_NAMESPACE_HTML)
            continue;
        if (node->type != GUMBO_NODE_DOCUMENT &&
            std::find(tags.begin(), tags.end(), node->v.element.tag) != tags.end()) {
            if (const QString src = attribute(node->v.element, "src"); !src.isEmpty())
                found << src;
        }
        const GumboVector& children = childrenOf(node);
        for (unsigned i = children.length; i-- > 0;)
            stack.push_back(static_cast<const GumboNode*>(children.data[i]));
    }
}

} // namespace

Markup::Markup(const QString& text)
    : m_utf8(limitNesting(text.toUtf8(), MaxDepth)) {
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // parse errors are not kept: a broken page must not fill memory
    options.allocator = allocateOrEnd;
    m_output = gumbo_parse_with_options(&options, m_utf8.constData(), size_t(m_utf8.size()));
}

Markup::~Markup() {
    if (m_output)
        gumbo_destroy_output(&kGumboDefaultOptions, m_output);
}

QString Markup::innerHtml() const {
    return serialiseOriginal(m_output->root);
}

QStringList Markup::frameSources() const {
    QStringList found;
    collect(m_output->root, {GUMBO_TAG_FRAME, GUMBO_TAG_IFRAME}, found);
    return found;
}

QStringList Markup::imageSources() const {
    QStringList found;
    collect(m_output->root, {GUMBO_TAG_IMG}, found);
    return found;
}

QString Markup::displayHtml(const Display& display) const {
    const QString body = displayBody(display);
    QString html = QStringLiteral("<html><head>");
    if (const GumboNode* head = findChild(m_output->root, GUMBO_TAG_HEAD)) {
        if (const GumboNode* title = findChild(head, GUMBO_TAG_TITLE)) {
            html += QStringLiteral("<title>");
            html += serialiseDisplay(title, display);
            html += QStringLiteral("</title>");
        }
        qsizetype style = 0;
        const GumboVector& children = head->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const auto* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type != GUMBO_NODE_ELEMENT || child->v.element.tag != GUMBO_TAG_STYLE)
                continue;
            // Style sheets past their share are left out.
            const QString css = serialiseOriginal(child);
            if (style + css.size() > MaxStyle)
                continue;
            style += css.size();
            html += QStringLiteral("<style>");
            html += css;
            html += QStringLiteral("</style>");
        }
    }
    html += QStringLiteral("</head><body");
    if (const GumboNode* bodyNode = findChild(m_output->root, GUMBO_TAG_BODY)) {
        for (const char* name : {"bgcolor", "text", "link"}) {
            const QString value = attribute(bodyNode->v.element, name);
            if (!value.isEmpty() && value.size() < 64)
                html +=
                    QStringLiteral(" %1=\"%2\"").arg(QLatin1String(name), value.toHtmlEscaped());
        }
    }
    html += u'>';
    html += body;
    html += QStringLiteral("</body></html>");
    return html;
}

QString Markup::displayBody(const Display& display) const {
    const GumboNode* body = findChild(m_output->root, GUMBO_TAG_BODY);
    if (!body)
        body = findChild(m_output->root, GUMBO_TAG_FRAMESET);
    if (!body)
        return {};
    return serialiseDisplay(body, display);
}

} // namespace tarvo::webhelper
