#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

class QPainter;

namespace tarvo::forms {

// The same pixels as a palette image where they have few colours: one bit a pixel for
// two colours, one byte for up to 256. A null image for more colours, or for an image
// that is not opaque 32-bit. Reading it back as RGB32 gives the very same pixels.
QImage toPalette(const QImage& opaque);

// The part of a palette image (one or eight bits a pixel) as RGB32, its dots per metre
// kept; a null image for other formats, an empty colour table or an empty part. A table
// lookup a pixel, cheaper than QImage's general conversion.
QImage fromPalette(const QImage& image, const QRect& part);

// Draws the part `source` of image at `at`. A palette image's part is looked up here,
// row by row: QPainter would convert far more of it on every paint.
void drawPart(QPainter& painter, QPoint at, const QImage& image, const QRect& source);

} // namespace tarvo::forms
