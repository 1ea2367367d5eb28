#include "controls/button/dropdownsymbol.h"

#include "forms/gdi.h"

namespace tarvo {

namespace {

using forms::gdi::fillRect;

// A triangle of four rows (or columns) 7, 5, 3, 1 pixels long, centred in a 14-pixel
// cell at (x, y): the glyph the symbol font draws at that height.
void triangle(QImage& image, int x, int y, QChar which, const QColor& c) {
    for (int k = 0; k < 4; ++k) {
        const int from = 4 + k;
        const int to = 11 - k; // exclusive
        switch (which.unicode()) {
        case u'6': // down
            fillRect(image, {x + from, y + 5 + k, x + to, y + 6 + k}, c);
            break;
        case u'5': // up
            fillRect(image, {x + from, y + 8 - k, x + to, y + 9 - k}, c);
            break;
        case u'4': // right
            fillRect(image, {x + 5 + k, y + from, x + 6 + k, y + to}, c);
            break;
        default: // '3' left
            fillRect(image, {x + 8 - k, y + from, x + 9 - k, y + to}, c);
            break;
        }
    }
}

// A window outline with a two-pixel title bar.
void window(QImage& image, int left, int top, int right, int bottom, const QColor& c) {
    forms::gdi::frameRect(image, {left, top, right, bottom}, c);
    fillRect(image, {left, top + 1, right, top + 2}, c);
}

} // namespace

void drawDropDownSymbol(QImage& image, const QRect& rect, int symbol, const QColor& colour,
                        const QFont& controlFont) {
    const QString text = QString::number(symbol);
    const QChar first = text.at(0);
    const int x = rect.left();
    const int y = rect.top();
    switch (first.unicode()) {
    case u'3':
    case u'4':
    case u'5':
    case u'6':
        triangle(image, x, y, first, colour);
        break;
    case u'0': // minimise: a bar at the foot
        fillRect(image, {x + 3, y + 9, x + 9, y + 11}, colour);
        break;
    case u'1': // maximise: one window
        window(image, x + 2, y + 2, x + 11, y + 11, colour);
        break;
    case u'2': // restore: two overlapping windows
        window(image, x + 4, y + 2, x + 11, y + 8, colour);
        window(image, x + 2, y + 5, x + 9, y + 11, colour);
        break;
    default: {
        const forms::gdi::Rect r{rect.left(), rect.top(), rect.left() + rect.width(),
                                 rect.top() + rect.height()};
        forms::gdi::drawText(image, QString(first), r, forms::gdi::DtWordBreak, controlFont,
                             colour);
        break;
    }
    }
}

} // namespace tarvo
