#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

namespace tarvo::testing {

// A picture as the bytes of a PNG file, as a server sends it or a file holds it.
inline QByteArray pngBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace tarvo::testing
