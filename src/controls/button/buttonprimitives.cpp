#include "controls/button/buttonprimitives.h"

#include "controls/button/buttoncolour.h"
#include "forms/gdi.h"

namespace tarvo::buttondraw {

using forms::OleColor;

namespace {

int channel(OleColor colour, int shift) {
    return int((colour >> shift) & 0xFF);
}

QRgb pixelOf(OleColor colour) {
    return qRgb(channel(colour, 0), channel(colour, 8), channel(colour, 16));
}

forms::gdi::Rect gdiRect(const QRect& r) {
    return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// One border ring: `light` on the top row and left column, `dark` on the bottom row and
// right column (which own the top-right and bottom-left corners).
void ring(QImage& image, int left, int top, int right, int bottom, OleColor light, OleColor dark) {
    if (right - left < 1 || bottom - top < 1)
        return;
    FillBox(image, light, QRect(left, top, right - 1 - left, 1));
    FillBox(image, light, QRect(left, top, 1, bottom - 1 - top));
    FillBox(image, dark, QRect(left, bottom - 1, right - left, 1));
    FillBox(image, dark, QRect(right - 1, top, 1, bottom - top));
}

OleColor sys(OleColor colour) {
    return TranslateColor(colour);
}

void edge(QImage& image, const QRect& r, bool outer, OleColor outerLight, OleColor outerDark,
          OleColor innerLight, OleColor innerDark) {
    int left = r.left();
    int top = r.top();
    int right = r.left() + r.width();
    int bottom = r.top() + r.height();
    if (outer) {
        ring(image, left, top, right, bottom, sys(outerLight), sys(outerDark));
        ++left;
        ++top;
        --right;
        --bottom;
    }
    ring(image, left, top, right, bottom, sys(innerLight), sys(innerDark));
}

} // namespace

void DrawLine(QImage& image, int x1, int y1, int x2, int y2, OleColor colour) {
    forms::gdi::line(image, QPoint(x1, y1), QPoint(x2, y2), {toRgb(colour), 1});
}

void FrameBox(QImage& image, int x, int y, int width, int height, OleColor colour) {
    forms::gdi::frameRect(image, {x, y, x + width, y + height}, toRgb(colour));
}

void FillBox(QImage& image, OleColor colour, const QRect& rect) {
    forms::gdi::fillRect(image, gdiRect(rect), toRgb(colour));
}

void DrawGradient(QImage& image, int x, int y, int width, int height, OleColor colour1,
                  OleColor colour2, int direction) {
    if (width <= 0 || height <= 0)
        return;
    const bool vertical = direction == Vertical;
    const int steps = (vertical ? height : width) - 1;
    QImage block(width, height, QImage::Format_RGB32);
    const auto colourOf = [&](int i) {
        if (steps == 0)
            return pixelOf(MixColor(colour1, colour2));
        const auto at = [&](int shift) {
            const int c1 = channel(colour1, shift);
            return c1 + i * (channel(colour2, shift) - c1) / steps;
        };
        return qRgb(at(0), at(8), at(16));
    };
    if (vertical) {
        for (int row = 0; row < height; ++row) {
            auto* line = reinterpret_cast<QRgb*>(block.scanLine(row));
            std::fill(line, line + width, colourOf(row));
        }
    } else {
        auto* first = reinterpret_cast<QRgb*>(block.scanLine(0));
        for (int column = 0; column < width; ++column)
            first[column] = colourOf(column);
        for (int row = 1; row < height; ++row)
            std::copy(first, first + width, reinterpret_cast<QRgb*>(block.scanLine(row)));
    }
    forms::gdi::bitBlt(image, QPoint(x, y), block, {0, 0, width, height});
}

void CornerDots(QImage& image, OleColor colour) {
    const QColor c = toRgb(colour);
    const int w = image.width();
    const int h = image.height();
    for (const QPoint at : {QPoint(1, 1), QPoint(1, h - 2), QPoint(w - 2, 1), QPoint(w - 2, h - 2)})
        forms::gdi::setPixel(image, at, c);
}

void RaisedEdge(QImage& image, const QRect& rect) {
    using namespace forms::syscolour;
    edge(image, rect, true, ButtonLight, ButtonDarkShadow, ButtonHighlight, ButtonShadow);
}

void ThinRaisedEdge(QImage& image, const QRect& rect) {
    using namespace forms::syscolour;
    edge(image, rect, false, 0, 0, ButtonHighlight, ButtonShadow);
}

void SunkenEdge(QImage& image, const QRect& rect) {
    using namespace forms::syscolour;
    edge(image, rect, true, ButtonShadow, ButtonHighlight, ButtonDarkShadow, ButtonLight);
}

void FocusRect(QImage& image, const QRect& rect) {
    if (rect.width() < 1 || rect.height() < 1 || image.format() != QImage::Format_RGB32)
        return;
    const QRect inside = rect.intersected(image.rect());
    int k = 0;
    const auto invert = [&](int x, int y) {
        if (k++ % 2 == 0 && inside.contains(x, y)) {
            auto* px = reinterpret_cast<QRgb*>(image.scanLine(y)) + x;
            *px = (*px ^ 0x00FFFFFFu) | 0xFF000000u;
        }
    };
    const int r = rect.left() + rect.width() - 1;
    const int b = rect.top() + rect.height() - 1;
    // Clockwise round the border, each pixel once.
    for (int x = rect.left(); x <= r; ++x)
        invert(x, rect.top());
    for (int y = rect.top() + 1; y <= b; ++y)
        invert(r, y);
    if (b > rect.top())
        for (int x = r - 1; x >= rect.left(); --x)
            invert(x, b);
    if (r > rect.left())
        for (int y = b - 1; y > rect.top(); --y)
            invert(rect.left(), y);
}

} // namespace tarvo::buttondraw
