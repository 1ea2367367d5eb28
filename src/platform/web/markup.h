#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

struct GumboInternalOutput;

namespace tarvo::platform::web {

// A parsed HTML document. The parser is given at most MaxDepth levels of nesting (see
// limitNesting) and every serialisation stops at MaxOutput characters, so a hostile
// page costs bounded time and memory.
class Markup final {
public:
    static constexpr int MaxDepth = 512;
    static constexpr qsizetype MaxOutput = qsizetype(4) << 20;
    // The page shown in the pane keeps fewer levels: text layout recurses per level.
    static constexpr int MaxShownDepth = 32;

    explicit Markup(const QString& text);
    ~Markup();
    Markup(const Markup&) = delete;
    Markup& operator=(const Markup&) = delete;

    // The documentElement's innerHTML as the original browser component serialised it:
    // tag names in upper case, attribute values in double quotes, text escaped.
    QString innerHtml() const;
    // The src of every frame and iframe, and of every img, in document order, as written
    // (empty ones left out).
    QStringList frameSources() const;
    QStringList imageSources() const;

    // What the pane shows: scripts, plug-ins and unknown resources removed, links and
    // images made absolute against base, images kept only when hasImage accepts them,
    // the n-th frame (in frameSources order) replaced by frameBody(n), and nesting
    // beyond MaxShownDepth flattened.
    struct Display {
        QUrl base;
        std::function<bool(const QUrl&)> hasImage;
        std::function<QString(int)> frameBody;
    };
    // The whole document, and the content of its body (or frameset) alone.
    QString displayHtml(const Display& display) const;
    QString displayBody(const Display& display) const;

private:
    QByteArray m_utf8; // the parse tree points into it
    GumboInternalOutput* m_output = nullptr;
};

} // namespace tarvo::platform::web
