#include "forms/palette.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cstring>

namespace tarvo::forms {

namespace {

QImage toMono(const QImage& indexed) {
    const QList<QRgb> colours = indexed.colorTable();
    QImage mono(indexed.size(), QImage::Format_Mono);
    mono.setColorTable({colours.front(), colours.back()});
    mono.setDotsPerMeterX(indexed.dotsPerMeterX());
    mono.setDotsPerMeterY(indexed.dotsPerMeterY());
    for (int y = 0; y < mono.height(); ++y) {
        const uchar* in = indexed.constScanLine(y);
        uchar* out = mono.scanLine(y);
        std::memset(out, 0, std::size_t(mono.bytesPerLine()));
        for (int x = 0; x < mono.width(); ++x)
            out[x >> 3] |= uchar(in[x] << (7 - (x & 7)));
    }
    return mono;
}

// Pixels [left, left + width) of a one-bit row. Whole bytes go eight pixels at a time:
// a background of one colour is mostly bytes of all zeros or all ones.
void monoRow(const uchar* in, int left, int width, QRgb zero, QRgb one, QRgb* out) {
    int column = left;
    const int end = left + width;
    const auto bit = [&](int c) { return (in[c >> 3] >> (7 - (c & 7))) & 1; };
    for (; column < end && (column & 7) != 0; ++column)
        *out++ = bit(column) ? one : zero;
    for (; column + 8 <= end; column += 8, out += 8) {
        const uchar byte = in[column >> 3];
        if (byte == 0x00 || byte == 0xFF) {
            std::fill_n(out, 8, byte ? one : zero);
        } else {
            for (int k = 0; k < 8; ++k)
                out[k] = (byte >> (7 - k)) & 1 ? one : zero;
        }
    }
    for (; column < end; ++column)
        *out++ = bit(column) ? one : zero;
}

} // namespace

QImage toPalette(const QImage& opaque) {
    if (opaque.isNull() || opaque.format() != QImage::Format_RGB32)
        return {};
    QList<QRgb> colours;
    QImage indexed(opaque.size(), QImage::Format_Indexed8);
    int index = -1;
    QRgb last = 0;
    for (int y = 0; y < opaque.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(opaque.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < opaque.width(); ++x) {
            const QRgb colour = in[x] | 0xFF000000u;
            // Neighbours mostly share a colour: look it up only when it changes.
            if (index < 0 || colour != last) {
                last = colour;
                index = int(colours.indexOf(colour));
                if (index < 0) {
                    if (colours.size() == 256)
                        return {};
                    index = int(colours.size());
                    colours.append(colour);
                }
            }
            out[x] = uchar(index);
        }
    }
    indexed.setColorTable(colours);
    indexed.setDotsPerMeterX(opaque.dotsPerMeterX());
    indexed.setDotsPerMeterY(opaque.dotsPerMeterY());
    return colours.size() <= 2 ? toMono(indexed) : indexed;
}

QImage fromPalette(const QImage& image, const QRect& part) {
    const QImage::Format format = image.format();
    const QRect r = part.intersected(image.rect());
    const QList<QRgb> table = image.colorTable();
    if ((format != QImage::Format_Indexed8 && format != QImage::Format_Mono) || table.isEmpty() ||
        r.isEmpty())
        return {};
    // Every index has a colour, so the rows need no checks; RGB32 pixels are opaque.
    std::array<QRgb, 256> colours;
    colours.fill(0xFF000000u);
    std::transform(table.cbegin(), table.cbegin() + std::min<qsizetype>(table.size(), 256),
                   colours.begin(), [](QRgb c) { return c | 0xFF000000u; });
    QImage out(r.size(), QImage::Format_RGB32);
    for (int y = 0; y < r.height(); ++y) {
        const uchar* in = image.constScanLine(r.top() + y);
        auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        if (format == QImage::Format_Indexed8) {
            for (int x = 0; x < r.width(); ++x)
                row[x] = colours[in[r.left() + x]];
        } else {
            monoRow(in, r.left(), r.width(), colours[0], colours[1], row);
        }
    }
    out.setDotsPerMeterX(image.dotsPerMeterX());
    out.setDotsPerMeterY(image.dotsPerMeterY());
    return out;
}

void drawPart(QPainter& painter, QPoint at, const QImage& image, const QRect& source) {
    const QImage part = fromPalette(image, source);
    if (part.isNull()) {
        painter.drawImage(at, image, source);
        return;
    }
    const QRect r = source.intersected(image.rect());
    painter.drawImage(at + (r.topLeft() - source.topLeft()), part);
}

} // namespace tarvo::forms
