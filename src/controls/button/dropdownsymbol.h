#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>

namespace tarvo {

// Draws the drop-down symbol into its 15 x 15 rectangle: the first character of the
// decimal text of `symbol`. The window-glyph characters are drawn as shapes the size a
// 14-pixel glyph of the system's symbol font has ("3" left, "4" right, "5" up, "6" down
// triangles; "0" minimise, "1" maximise, "2" restore); any other character is printed
// in the control's font.
void drawDropDownSymbol(QImage& image, const QRect& rect, int symbol, const QColor& colour,
                        const QFont& controlFont);

} // namespace tarvo
