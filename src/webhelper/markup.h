#pragma once

#include "webhelper/pagelimits.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

struct GumboInternalOutput;

namespace tarvo::webhelper {

// A parsed HTML document. The parser is given at most 512 levels of nesting (see
// limitNesting), the innerHTML stops at MaxInnerHtml characters and what is shown at the
// display's caps. The helper process that parses also runs under hard limits: whatever
// the parser itself may cost on a hostile page ends there.
class Markup final {
public:
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
    // the n-th frame (in frameSources order) replaced by frameBody(n), nesting beyond
    // the caps' depth flattened, and everything past their elements, text or markup
    // left out.
    struct Display {
        QUrl base;
        std::function<bool(const QUrl&)> hasImage;
        std::function<QString(int)> frameBody;
        DocumentCaps caps;
    };
    // The whole document, and the content of its body (or frameset) alone.
    QString displayHtml(const Display& display) const;
    QString displayBody(const Display& display) const;

private:
    QByteArray m_utf8; // the parse tree points into it
    GumboInternalOutput* m_output = nullptr;
};

} // namespace tarvo::webhelper
