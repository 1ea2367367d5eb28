#include "forms/gdi.h"

#include "forms/font.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace tarvo::forms::gdi {

namespace {

bool is32Bit(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// The stored pixel value of a colour in a 32-bit format.
quint32 pixelValue(QImage::Format format, const QColor& colour) {
    const QRgb argb = colour.rgba();
    switch (format) {
    case QImage::Format_RGB32:
        return argb | 0xFF000000u;
    case QImage::Format_ARGB32:
        return argb;
    default:
        return qPremultiply(argb);
    }
}

// Writes single pixels and horizontal runs, clipped to the image.
class Plotter final {
public:
    Plotter(QImage& image, const QColor& colour)
        : m_image(image)
        , m_colour(colour)
        , m_width(image.width())
        , m_height(image.height())
        , m_fast(is32Bit(image.format()))
        , m_value(m_fast ? pixelValue(image.format(), colour) : 0)
        , m_stride(image.bytesPerLine()) {}

    void plot(qint64 x, qint64 y) {
        if (x < 0 || y < 0 || x >= m_width || y >= m_height)
            return;
        if (m_fast)
            row(y)[x] = m_value;
        else
            m_image.setPixelColor(int(x), int(y), m_colour);
    }

    // Pixels left <= x < right of row y.
    void span(qint64 left, qint64 right, qint64 y) {
        if (y < 0 || y >= m_height)
            return;
        left = std::max<qint64>(left, 0);
        right = std::min<qint64>(right, m_width);
        if (left >= right)
            return;
        if (m_fast) {
            quint32* const pixels = row(y);
            std::fill(pixels + left, pixels + right, m_value);
        } else {
            for (qint64 x = left; x < right; ++x)
                m_image.setPixelColor(int(x), int(y), m_colour);
        }
    }

private:
    // The pixels are reached once per line, not per pixel: each scanLine call checks
    // for sharing again. Not before the first pixel, so a line that misses copies nothing.
    quint32* row(qint64 y) {
        if (!m_bits)
            m_bits = m_image.bits();
        return reinterpret_cast<quint32*>(m_bits + y * m_stride);
    }

    QImage& m_image;
    QColor m_colour;
    qint64 m_width;
    qint64 m_height;
    bool m_fast;
    quint32 m_value;
    qsizetype m_stride;
    uchar* m_bits = nullptr;
};

// A one-pixel line from `from` up to, not including, `to`: the minor coordinate of step i
// is i * minor / major rounded to nearest (halves towards the end point).
void thinLine(Plotter& plotter, QPoint from, QPoint to, qint64 width, qint64 height) {
    const qint64 dx = qint64(to.x()) - from.x();
    const qint64 dy = qint64(to.y()) - from.y();
    const qint64 adx = std::abs(dx);
    const qint64 ady = std::abs(dy);
    if (adx == 0 && ady == 0)
        return;
    const bool xMajor = adx >= ady;
    const qint64 major = xMajor ? adx : ady;
    const qint64 minor = xMajor ? ady : adx;
    const qint64 majorStart = xMajor ? from.x() : from.y();
    const qint64 minorStart = xMajor ? from.y() : from.x();
    const qint64 majorSign = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const qint64 minorSign = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const qint64 limit = xMajor ? width : height;

    // Only the steps whose major coordinate lies inside the image are walked, so a
    // line with far-away end points costs no more than one across the image.
    qint64 first = 0;
    qint64 last = major; // exclusive
    if (majorSign > 0) {
        first = std::max<qint64>(first, -majorStart);
        last = std::min<qint64>(last, limit - majorStart);
    } else {
        first = std::max<qint64>(first, majorStart - (limit - 1));
        last = std::min<qint64>(last, majorStart + 1);
    }
    for (qint64 i = first; i < last; ++i) {
        // i, minor < 2^31 after the far-coordinate clip in line(), so this cannot overflow.
        const qint64 offset = (2 * i * minor + major) / (2 * major);
        const qint64 a = majorStart + majorSign * i;
        const qint64 b = minorStart + minorSign * offset;
        if (xMajor)
            plotter.plot(a, b);
        else
            plotter.plot(b, a);
    }
}

// A wide pen: every pixel whose centre lies within width / 2 of the segment, which gives
// round caps. Odd widths are centred on the pixel centres, even ones on pixel corners.
void wideLine(Plotter& plotter, QPoint from, QPoint to, int penWidth, qint64 width, qint64 height) {
    if (from == to)
        return;
    const double radius = penWidth / 2.0;
    const double shift = (penWidth % 2 != 0) ? 0.5 : 0.0;
    const double ax = from.x() + shift;
    const double ay = from.y() + shift;
    const double bx = to.x() + shift;
    const double by = to.y() + shift;
    const double vx = bx - ax;
    const double vy = by - ay;
    const double lengthSquared = vx * vx + vy * vy;
    const double limit = radius * radius + 1e-9;

    const qint64 left = std::max<qint64>(0, qint64(std::floor(std::min(ax, bx) - radius)));
    const qint64 right = std::min<qint64>(width - 1, qint64(std::ceil(std::max(ax, bx) + radius)));
    const qint64 top = std::max<qint64>(0, qint64(std::floor(std::min(ay, by) - radius)));
    const qint64 bottom =
        std::min<qint64>(height - 1, qint64(std::ceil(std::max(ay, by) + radius)));
    for (qint64 y = top; y <= bottom; ++y) {
        for (qint64 x = left; x <= right; ++x) {
            const double px = x + 0.5 - ax;
            const double py = y + 0.5 - ay;
            const double t = std::clamp((px * vx + py * vy) / lengthSquared, 0.0, 1.0);
            const double ex = px - t * vx;
            const double ey = py - t * vy;
            if (ex * ex + ey * ey <= limit)
                plotter.plot(x, y);
        }
    }
}

QString trimmedRight(const QString& s) {
    qsizetype end = s.size();
    while (end > 0 && s.at(end - 1).isSpace())
        --end;
    return s.left(end);
}

// Greedy wrapping at the line-break opportunities of the text (spaces, and between CJK
// characters); a piece wider than the rectangle stays whole on its own line.
void wrapLine(const QString& line, int maxWidth, const QFontMetrics& metrics, QStringList& out) {
    if (line.isEmpty() || metrics.horizontalAdvance(line) <= maxWidth) {
        out << line;
        return;
    }
    QTextBoundaryFinder finder(QTextBoundaryFinder::Line, line);
    qsizetype lineStart = 0;
    qsizetype lastBreak = 0;
    for (qsizetype pos = finder.toNextBoundary(); pos != -1; pos = finder.toNextBoundary()) {
        const QString candidate = trimmedRight(line.mid(lineStart, pos - lineStart));
        if (metrics.horizontalAdvance(candidate) > maxWidth && lastBreak > lineStart) {
            out << trimmedRight(line.mid(lineStart, lastBreak - lineStart));
            lineStart = lastBreak;
        }
        lastBreak = pos;
    }
    out << trimmedRight(line.mid(lineStart));
}

// A block copy after clipping to both images; empty when nothing is left.
struct Blit {
    qint64 sx = 0;
    qint64 sy = 0;
    qint64 dx = 0;
    qint64 dy = 0;
    qint64 w = 0;
    qint64 h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
};

Blit clipBlit(const QImage& dst, QPoint dstTopLeft, const QImage& src, const Rect& srcRect) {
    if (dst.isNull() || src.isNull())
        return {};
    Blit b{srcRect.left,
           srcRect.top,
           dstTopLeft.x(),
           dstTopLeft.y(),
           qint64(srcRect.right) - srcRect.left,
           qint64(srcRect.bottom) - srcRect.top};
    // Clip to the source, then to the destination, moving the other corner along.
    if (b.sx < 0) {
        b.dx -= b.sx;
        b.w += b.sx;
        b.sx = 0;
    }
    if (b.sy < 0) {
        b.dy -= b.sy;
        b.h += b.sy;
        b.sy = 0;
    }
    b.w = std::min<qint64>(b.w, src.width() - b.sx);
    b.h = std::min<qint64>(b.h, src.height() - b.sy);
    if (b.dx < 0) {
        b.sx -= b.dx;
        b.w += b.dx;
        b.dx = 0;
    }
    if (b.dy < 0) {
        b.sy -= b.dy;
        b.h += b.dy;
        b.dy = 0;
    }
    b.w = std::min<qint64>(b.w, dst.width() - b.dx);
    b.h = std::min<qint64>(b.h, dst.height() - b.dy);
    return b;
}

// The lines DrawText draws: single-line text joined, otherwise each paragraph, broken
// at word boundaries to the width when asked.
QStringList layoutLines(const QString& text, int width, unsigned flags,
                        const QFontMetrics& metrics) {
    QStringList lines;
    if (flags & DtSingleLine) {
        QString single = text;
        single.remove(u'\r').remove(u'\n');
        lines << single;
    } else {
        forEachTextLine(text, [&](QStringView paragraph) {
            if (flags & DtWordBreak)
                wrapLine(paragraph.toString(), width, metrics, lines);
            else
                lines << paragraph.toString();
        });
    }
    return lines;
}

} // namespace

void line(QImage& image, QPoint from, QPoint to, const Pen& pen) {
    if (image.isNull() || pen.width < 0)
        return;
    // Coordinates far outside any image would overflow the step arithmetic; such a line
    // is first cut to a huge box (its slope may change by a rounding, invisibly far away).
    constexpr double far = 1 << 29;
    if (std::abs(double(from.x())) > far || std::abs(double(from.y())) > far ||
        std::abs(double(to.x())) > far || std::abs(double(to.y())) > far) {
        double t0 = 0;
        double t1 = 1;
        const double x0 = from.x();
        const double y0 = from.y();
        const double vx = double(to.x()) - x0;
        const double vy = double(to.y()) - y0;
        const double p[] = {-vx, vx, -vy, vy};
        const double q[] = {x0 + far, far - x0, y0 + far, far - y0};
        for (int k = 0; k < 4; ++k) {
            if (p[k] == 0) {
                if (q[k] < 0)
                    return;
                continue;
            }
            const double r = q[k] / p[k];
            if (p[k] < 0)
                t0 = std::max(t0, r);
            else
                t1 = std::min(t1, r);
        }
        if (t0 > t1)
            return;
        const QPoint a(int(std::lround(x0 + t0 * vx)), int(std::lround(y0 + t0 * vy)));
        const QPoint b(int(std::lround(x0 + t1 * vx)), int(std::lround(y0 + t1 * vy)));
        from = a;
        to = b;
    }
    Plotter plotter(image, pen.colour);
    if (pen.width <= 1)
        thinLine(plotter, from, to, image.width(), image.height());
    else
        wideLine(plotter, from, to, pen.width, image.width(), image.height());
}

void fillRect(QImage& image, const Rect& rect, const QColor& colour) {
    if (image.isNull() || rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    Plotter plotter(image, colour);
    const qint64 top = std::max(rect.top, 0);
    const qint64 bottom = std::min(rect.bottom, image.height());
    for (qint64 y = top; y < bottom; ++y)
        plotter.span(rect.left, rect.right, y);
}

void frameRect(QImage& image, const Rect& rect, const QColor& colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top)
        return;
    fillRect(image, {rect.left, rect.top, rect.right, rect.top + 1}, colour);
    fillRect(image, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, colour);
    fillRect(image, {rect.left, rect.top, rect.left + 1, rect.bottom}, colour);
    fillRect(image, {rect.right - 1, rect.top, rect.right, rect.bottom}, colour);
}

void setPixel(QImage& image, QPoint at, const QColor& colour) {
    if (image.isNull())
        return;
    Plotter(image, colour).plot(at.x(), at.y());
}

void bitBlt(QImage& dst, QPoint dstTopLeft, const QImage& src, const Rect& srcRect) {
    const Blit b = clipBlit(dst, dstTopLeft, src, srcRect);
    if (b.empty())
        return;
    const qint64 sx = b.sx, sy = b.sy, dx = b.dx, dy = b.dy, w = b.w, h = b.h;

    const QImage::Format dstFormat = dst.format();
    const QImage::Format srcFormat = src.format();
    if (srcFormat != dstFormat && !(is32Bit(srcFormat) && is32Bit(dstFormat))) {
        // Rare: formats of different layout. Convert the piece first (a copy, so an
        // overlap cannot matter) and copy that.
        const QImage piece = src.copy(int(sx), int(sy), int(w), int(h)).convertToFormat(dstFormat);
        if (piece.depth() % 8 == 0) {
            bitBlt(dst, QPoint(int(dx), int(dy)), piece, {0, 0, int(w), int(h)});
        } else {
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    dst.setPixel(int(dx) + x, int(dy) + y, piece.pixelIndex(x, y));
        }
        return;
    }

    // Detach the destination first: if it shared data with the source, the source keeps
    // the old pixels, which is what a copy must read.
    // Rows are then reached by their stride: the graph copies a row at a time, many
    // times a frame, and each scanLine call would check for sharing again.
    uchar* const dstBits = dst.bits();
    const uchar* const srcBits = src.constBits();
    const qsizetype dstStride = dst.bytesPerLine();
    const qsizetype srcStride = src.bytesPerLine();
    const bool sameData = dstBits == srcBits;
    // Rows in an order that never reads a row already overwritten; memmove handles an
    // overlap within a row.
    const bool bottomUp = sameData && dy > sy;
    const int bytesPerPixel = dst.depth() / 8;
    if (srcFormat == dstFormat && w * bytesPerPixel == 4 && !sameData) {
        // A column of 32-bit pixels, as a scrolling graph brings in: a word a row.
        uchar* out = dstBits + dy * dstStride + dx * 4;
        const uchar* in = srcBits + sy * srcStride + sx * 4;
        for (qint64 row = 0; row < h; ++row, out += dstStride, in += srcStride)
            std::memcpy(out, in, 4);
        return;
    }
    for (qint64 i = 0; i < h; ++i) {
        const qint64 row = bottomUp ? h - 1 - i : i;
        uchar* out = dstBits + (dy + row) * dstStride + dx * bytesPerPixel;
        const uchar* in = srcBits + (sy + row) * srcStride + sx * bytesPerPixel;
        if (srcFormat == dstFormat) {
            std::memmove(out, in, size_t(w * bytesPerPixel));
            continue;
        }
        // 32-bit formats that differ only in how alpha is kept.
        auto* o = reinterpret_cast<quint32*>(out);
        const auto* s = reinterpret_cast<const quint32*>(in);
        for (qint64 x = 0; x < w; ++x) {
            quint32 v = s[x];
            if (dstFormat == QImage::Format_RGB32)
                v = (srcFormat == QImage::Format_ARGB32 ? qPremultiply(v) : v) | 0xFF000000u;
            else if (dstFormat == QImage::Format_ARGB32_Premultiplied &&
                     srcFormat == QImage::Format_ARGB32)
                v = qPremultiply(v);
            else if (dstFormat == QImage::Format_ARGB32 &&
                     srcFormat == QImage::Format_ARGB32_Premultiplied)
                v = qUnpremultiply(v);
            o[x] = v;
        }
    }
}

void alphaBlt(QImage& dst, QPoint dstTopLeft, const QImage& src, const Rect& srcRect) {
    if (!src.hasAlphaChannel()) {
        bitBlt(dst, dstTopLeft, src, srcRect);
        return;
    }
    const Blit b = clipBlit(dst, dstTopLeft, src, srcRect);
    if (b.empty())
        return;
    const bool fast = src.format() == QImage::Format_ARGB32_Premultiplied &&
                      (dst.format() == QImage::Format_RGB32 ||
                       dst.format() == QImage::Format_ARGB32_Premultiplied);
    if (!fast || dst.constBits() == src.constBits()) {
        const QImage piece = src.copy(int(b.sx), int(b.sy), int(b.w), int(b.h));
        QPainter painter(&dst);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(QPoint(int(b.dx), int(b.dy)), piece);
        return;
    }
    const bool opaqueDst = dst.format() == QImage::Format_RGB32;
    for (qint64 row = 0; row < b.h; ++row) {
        auto* out = reinterpret_cast<quint32*>(dst.scanLine(int(b.dy + row))) + b.dx;
        const auto* in =
            reinterpret_cast<const quint32*>(src.constScanLine(int(b.sy + row))) + b.sx;
        for (qint64 x = 0; x < b.w; ++x) {
            const quint32 s = in[x];
            const uint alpha = qAlpha(s);
            if (alpha == 0)
                continue;
            quint32 v = s;
            if (alpha != 255) {
                // Premultiplied source over: s + d * (255 - alpha) / 255 per channel.
                const uint inverse = 255 - alpha;
                const quint32 d = out[x];
                const auto channel = [&](int shift) {
                    const uint dc = (d >> shift) & 0xFF;
                    const uint sc = (s >> shift) & 0xFF;
                    return quint32(std::min<uint>(255, sc + (dc * inverse + 127) / 255)) << shift;
                };
                v = channel(0) | channel(8) | channel(16) | channel(24);
            }
            out[x] = opaqueDst ? (v | 0xFF000000u) : v;
        }
    }
}

int drawText(QImage& image, const QString& text, const Rect& rect, unsigned flags,
             const QFont& font, const QColor& colour) {
    const QFontMetrics metrics(font, &image);
    const int lineHeight = metrics.height();

    const QStringList lines = layoutLines(text, rect.width(), flags, metrics);
    const int total = int(lines.size()) * lineHeight;

    // Vertical placement applies to single-line text only, as on the original.
    int y = rect.top;
    if (flags & DtSingleLine) {
        if (flags & DtBottom)
            y = rect.bottom - lineHeight;
        else if (flags & DtVCenter)
            y = rect.top + (rect.height() - lineHeight) / 2;
    }
    const int result =
        (flags & DtSingleLine) && (flags & (DtBottom | DtVCenter)) ? y + total - rect.top : total;
    if ((flags & DtCalcRect) || image.isNull() || text.isEmpty())
        return result;

    QPainter painter(&image);
    if (flags & DtRtlReading)
        painter.setLayoutDirection(Qt::RightToLeft);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font);
    painter.setPen(colour);
    if (!(flags & DtNoClip))
        painter.setClipRect(QRect(rect.left, rect.top, rect.width(), rect.height()));
    for (const QString& line : std::as_const(lines)) {
        if (!line.isEmpty()) {
            const int width = metrics.horizontalAdvance(line);
            int x = rect.left;
            if (flags & DtCenter)
                x = rect.left + (rect.width() - width) / 2;
            else if (flags & DtRight)
                x = rect.right - width;
            painter.drawText(x, y + metrics.ascent(), line);
        }
        y += lineHeight;
    }
    return result;
}

QSize measureText(const QString& text, int width, unsigned flags, const QFont& font) {
    const QFontMetrics metrics(font);
    const QStringList lines = layoutLines(text, width, flags, metrics);
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    return {widest, int(lines.size()) * metrics.height()};
}

QFont createFont(int height, int escapement, int weight, bool italic, bool underline,
                 bool strikeout, const QString& face) {
    // QFont carries no rotation; the program only asks for upright text, so a non-zero
    // escapement is accepted and ignored.
    Q_UNUSED(escapement);
    FontDesc desc;
    desc.face = face;
    desc.weight = weight;
    desc.italic = italic;
    desc.underline = underline;
    desc.strikeout = strikeout;
    QFont font = toQFont(desc);

    // A negative height is the character (em) height, which is what a pixel size means.
    // A positive one is the cell height (ascent + descent): scale by the face's ratio.
    // Zero asks for the default size.
    int pixels = 12;
    if (height < 0) {
        pixels =
            height == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -height;
    } else if (height > 0) {
        QFont reference = font;
        reference.setPixelSize(100);
        const double cell = QFontMetricsF(reference).height();
        pixels = cell > 0 ? int(std::lround(height * 100.0 / cell)) : height;
    }
    font.setPixelSize(std::clamp(pixels, 1, 4096));
    return font;
}

int mulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const qint64 product = qint64(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const quint64 magnitude = product < 0 ? quint64(0) - quint64(product) : quint64(product);
    const quint64 divisor = c < 0 ? quint64(0) - quint64(qint64(c)) : quint64(c);
    const quint64 quotient = (magnitude + divisor / 2) / divisor;
    const qint64 result = negative ? -qint64(quotient) : qint64(quotient);
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1; // overflow, as the original reports it
    return int(result);
}

} // namespace tarvo::forms::gdi
