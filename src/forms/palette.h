#pragma once

#include <QImage>

namespace tarvo::forms {

// The same pixels as a palette image where they have few colours: one bit a pixel for
// two colours, one byte for up to 256. A null image for more colours, or for an image
// that is not opaque 32-bit. Reading it back as RGB32 gives the very same pixels.
QImage toPalette(const QImage& opaque);

} // namespace tarvo::forms
