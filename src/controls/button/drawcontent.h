#pragma once

#include "forms/colour.h"
#include "forms/font.h"

#include <QFont>
#include <QRect>
#include <QString>

namespace tarvo {

struct StyleContext;

// DrawContent: the picture, the caption with its effects, the drop-down symbol and the
// separator, over whatever the style body drew. Keeps the control's resolved font
// between redraws and remembers where the last call put things.
class ContentPainter final {
public:
    void draw(StyleContext& ctx);

    const QRect& captionRect() const { return m_captionRect; }
    const QRect& symbolRect() const { return m_symbolRect; }
    const QRect& pictureRect() const { return m_pictureRect; }
    // The caption as drawn: access-key marks removed, escaped ampersands single.
    static QString displayText(const QString& caption);

private:
    const QFont& qfont(const forms::Font& font);
    void drawCaption(StyleContext& ctx, const QRect& at, unsigned flags, forms::OleColor colour);

    forms::Font m_font; // the font m_qfont was made from (kept alive as the key)
    QFont m_qfont;
    QString m_text;
    QRect m_captionRect;
    QRect m_symbolRect;
    QRect m_pictureRect;
};

} // namespace tarvo
