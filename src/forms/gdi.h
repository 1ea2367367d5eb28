#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

namespace tarvo::forms::gdi {

// A rectangle as the device-context calls take it: left and top inside, right and
// bottom just outside.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The same rectangle as Qt holds it (QRect's right and bottom are inside).
inline Rect fromQRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}
inline QRect toQRect(const Rect& r) {
    return QRect(r.left, r.top, r.width(), r.height());
}

struct Pen {
    QColor colour;
    int width = 1;
};

// Device-context primitives on a QImage with the original's pixel rules: no
// antialiasing; a line's end point is not drawn (pens wider than one pixel draw
// round-capped strokes); frames are one pixel wide; block copies are exact.

void line(QImage& image, QPoint from, QPoint to, const Pen& pen);
void fillRect(QImage& image, const Rect& rect, const QColor& colour);
void frameRect(QImage& image, const Rect& rect, const QColor& colour);
void setPixel(QImage& image, QPoint at, const QColor& colour);
// Copies srcRect of src to dstTopLeft of dst; src and dst may be the same image and the
// regions may overlap (scrolling). Parts outside either image are clipped.
void bitBlt(QImage& dst, QPoint dstTopLeft, const QImage& src, const Rect& srcRect);
// Like bitBlt, but a source with an alpha channel is laid over the destination (source
// over), as icons and transparent pictures are drawn. An opaque source is copied exactly.
void alphaBlt(QImage& dst, QPoint dstTopLeft, const QImage& src, const Rect& srcRect);

// DrawText format flags, with the original's values.
enum TextFlag : unsigned {
    DtLeft = 0x0,
    DtCenter = 0x1,
    DtRight = 0x2,
    DtTop = 0x0,
    DtVCenter = 0x4,
    DtBottom = 0x8,
    DtWordBreak = 0x10,
    DtSingleLine = 0x20,
    DtNoClip = 0x100,
    DtCalcRect = 0x400,
    DtRtlReading = 0x20000,
};

// Draws text with a transparent background. CR LF and LF break lines; with DtCenter
// each line is centred in the rectangle. Returns the height of the drawn text.
int drawText(QImage& image, const QString& text, const Rect& rect, unsigned flags,
             const QFont& font, const QColor& colour);

// What DrawText with DtCalcRect finds for a rectangle `width` pixels wide: the width of
// the widest line (after word breaking) and the height of all lines.
QSize measureText(const QString& text, int width, unsigned flags, const QFont& font);

// Calls fn with each line of text (QStringView): CR LF, LF and CR each end a line, as
// the runtime prints and DrawText draws them.
template <typename Fn> void forEachTextLine(const QString& text, Fn fn) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        fn(QStringView(text).mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    fn(QStringView(text).mid(start));
}

// CreateFont's rules: a negative height is the character height in pixels (the QFont
// pixel size), a positive one the cell height (ascent + descent), 0 a default of 12
// pixels; weight 100..900 (0 is normal). A QFont cannot carry a rotation, so the
// escapement (tenths of a degree) is accepted and ignored: text is drawn upright.
QFont createFont(int height, int escapement, int weight, bool italic, bool underline,
                 bool strikeout, const QString& face);

// MulDiv: a * b / c with a 64-bit intermediate, rounded halves away from zero; -1 when c is 0.
int mulDiv(int a, int b, int c);

} // namespace tarvo::forms::gdi
