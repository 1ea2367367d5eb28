#include "forms/surface.h"

#include "forms/palette.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace tarvo::forms {

namespace {

// Retained images are opaque, which keeps copies to the screen and block copies plain.
constexpr QImage::Format SurfaceFormat = QImage::Format_RGB32;

QImage makeImage(QSize pixels) {
    if (pixels.width() <= 0 || pixels.height() <= 0)
        return {};
    return QImage(pixels, SurfaceFormat);
}

int toPixel(double coordinate) {
    // Coordinates are stored as reals; a pixel position rounds halves to even.
    const double r = std::nearbyint(coordinate);
    return int(std::clamp(r, -1.0e9, 1.0e9));
}

// Whether region covers all of rect (QRegion::contains only tells whether they overlap).
bool covers(const QRegion& region, const QRect& rect) {
    if (region.isEmpty())
        return false;
    if (region.rectCount() == 1)
        return region.boundingRect().contains(rect);
    return QRegion(rect).subtracted(region).isEmpty();
}

} // namespace

Surface::Surface(QSize pixels)
    : m_image(makeImage(pixels))
    , m_font(ambientFont())
    , m_qfont(toQFont(*m_font))
    , m_wholeRegion(m_image.rect()) {
    paintBackground(m_image.rect());
}

void Surface::resize(QSize pixels) {
    settle();
    if (pixels.width() < 0 || pixels.height() < 0)
        pixels = QSize(0, 0);
    if (pixels == m_image.size() || (m_image.isNull() && pixels.isEmpty()))
        return;
    // A surface that shows only its background picture holds nothing to keep.
    const bool oldPlain = showsPictureInPlace();
    if (!oldPlain)
        unpack();
    const QImage old = m_image;
    m_store.reset();
    m_origin = 0;
    if (!showPictureInPlace(pixels)) {
        m_image = makeImage(pixels);
        paintBackground(m_image.rect());
    }
    m_wholeRegion = QRegion(m_image.rect());
    if (!oldPlain)
        gdi::bitBlt(m_image, QPoint(0, 0), old, {0, 0, old.width(), old.height()});
    m_dirty = QRegion();
    m_scroll.reset();
    markAllDirty();
}

void Surface::setBackColor(OleColor colour) {
    m_backColor = colour;
    cls();
}

void Surface::setPicture(Picture picture) {
    m_picture = std::move(picture);
    cls();
}

void Surface::setFont(Font font) {
    m_font = font ? std::move(font) : ambientFont();
    m_qfont = toQFont(*m_font);
}

void Surface::setForeColor(OleColor colour) {
    m_foreColor = colour;
}

void Surface::cls() {
    prepareToDraw();
    if (!showPictureInPlace(m_image.size()))
        paintBackground(m_image.rect());
    m_currentX = 0;
    m_currentY = 0;
    markAllDirty();
}

void Surface::print(const QString& text) {
    prepareToDraw();
    const QFontMetrics metrics(m_qfont, &m_image);
    const int lineHeight = metrics.height();
    const int ascent = metrics.ascent();
    QPainter painter;
    bool painting = false;
    bool firstLine = true;
    gdi::forEachTextLine(text, [&](QStringView line) {
        const int x = toPixel(firstLine ? m_currentX : 0);
        const int y = toPixel(m_currentY);
        firstLine = false;
        if (!line.isEmpty() && !m_image.isNull()) {
            if (!painting) {
                painting = painter.begin(&m_image);
                painter.setRenderHint(QPainter::TextAntialiasing, false);
                painter.setFont(m_qfont);
                painter.setPen(toQColor(m_foreColor));
            }
            // Most output is one line: draw the caller's string without copying it.
            const QString s = line.size() == text.size() ? text : line.toString();
            painter.drawText(x, y + ascent, s);
            // The band from the text position to the right edge, without measuring the
            // text again; the margin covers glyphs that overhang to the left (italics).
            const int margin = lineHeight / 2 + 1;
            markDirty(QRect(x - margin, y, m_image.width() - x + margin, lineHeight));
        }
        m_currentY += lineHeight;
    });
    m_currentX = 0;
}

double Surface::textWidth(const QString& text) const {
    const QFontMetricsF metrics(m_qfont, &m_image);
    double widest = 0;
    gdi::forEachTextLine(text, [&](QStringView line) {
        widest = std::max(
            widest, metrics.horizontalAdvance(line.size() == text.size() ? text : line.toString()));
    });
    return widest;
}

double Surface::textHeight(const QString& text) const {
    const QFontMetrics metrics(m_qfont, &m_image);
    int lines = 0;
    gdi::forEachTextLine(text, [&](QStringView) { ++lines; });
    return double(lines) * metrics.height();
}

void Surface::line(QPoint from, QPoint to, OleColor colour) {
    prepareToDraw();
    gdi::line(m_image, from, to, gdi::Pen{toQColor(colour), 1});
    markDirty(QRect(from, to).normalized());
}

void Surface::paintPicture(const Picture& picture, QPoint dest, const QRect& src) {
    prepareToDraw();
    if (isEmpty(picture) || src.isEmpty())
        return;
    gdi::alphaBlt(m_image, dest, picture->image(), gdi::fromQRect(src));
    markDirty(QRect(dest, src.size()));
}

QFont Surface::qfont() const {
    return m_qfont;
}

void Surface::markDirty(const QRect& rect) {
    ++m_changes;
    const QRect r = rect.intersected(m_image.rect());
    if (r.isEmpty() || covers(m_dirty, r))
        return;
    if (r == m_image.rect())
        m_dirty = m_wholeRegion;
    else
        m_dirty += r;
}

void Surface::markAllDirty() {
    ++m_changes;
    if (!m_image.isNull())
        m_dirty = m_wholeRegion;
}

void Surface::markScrolled(const QRect& rect, int dx, int dy) {
    const QRect r = rect.intersected(m_image.rect());
    if (r.isEmpty() || (dx == 0 && dy == 0))
        return;
    // One scroll per present: a second one, or one that moves everything out of sight,
    // is cheaper as a plain repaint.
    if (!m_scrollPresenter || m_scroll || std::abs(dx) >= r.width() || std::abs(dy) >= r.height()) {
        markDirty(r);
        return;
    }
    ++m_changes;
    const QRect moved = r.translated(dx, dy);
    // What was waiting to be shown inside rect moved with the pixels.
    if (!m_dirty.isEmpty()) {
        if (const QRegion inside = m_dirty.intersected(r); !inside.isEmpty()) {
            m_dirty -= r;
            m_dirty += inside.translated(dx, dy).intersected(r);
        }
    }
    // A move along one axis uncovers one band; only a diagonal one needs region arithmetic.
    if (dy == 0)
        m_dirty += QRect(dx < 0 ? r.right() + dx + 1 : r.left(), r.top(), std::abs(dx), r.height());
    else if (dx == 0)
        m_dirty += QRect(r.left(), dy < 0 ? r.bottom() + dy + 1 : r.top(), r.width(), std::abs(dy));
    else
        m_dirty += QRegion(r).subtracted(moved);
    m_scroll = Scroll{r, dx, dy};
}

namespace {
// How far the origin may move in the store before the image moves back to its start:
// a quarter of the width, as one whole move per that many pixels costs less than a
// store twice as wide.
int storeRoom(int width) {
    return std::max(1, width / 4);
}
} // namespace

void Surface::scroll(const QRect& rect, int dx, int dy, Uncovered uncovered) {
    const QRect r = rect.intersected(m_image.rect());
    if (r.isEmpty() || (dx == 0 && dy == 0))
        return;
    unpack();
    if (dy == 0 && dx < 0 && -dx <= storeRoom(m_image.width()) && r.left() == 0 &&
        r.width() == m_image.width()) {
        scrollByOrigin(r, -dx, uncovered);
    } else if (const QRect to = r.translated(dx, dy).intersected(r); !to.isEmpty()) {
        prepareToDraw();
        const QRect from = to.translated(-dx, -dy);
        const qsizetype pixel = m_image.depth() / 8;
        const std::size_t bytes = std::size_t(to.width() * pixel);
        // Rows in the order that never reads a row already overwritten.
        for (int i = 0; i < to.height(); ++i) {
            const int row = dy > 0 ? to.height() - 1 - i : i;
            std::memmove(m_image.scanLine(to.top() + row) + to.left() * pixel,
                         m_image.constScanLine(from.top() + row) + from.left() * pixel, bytes);
        }
    }
    markScrolled(r, dx, dy);
}

void Surface::scrollByOrigin(const QRect& r, int step, Uncovered uncovered) {
    if (r.top() != m_bandTop || r.bottom() != m_bandBottom)
        settle();
    // Raw moves in the store must not show through a copy someone holds, nor miss an
    // image that a write while shared has detached from it: start a store of its own.
    if (!m_store || !m_image.isDetached() ||
        (!m_viewStale && m_image.constBits() != storeAt(0, m_origin))) {
        settle();
        adoptStore();
    }
    const int w = m_image.width();
    const qsizetype pixel = m_store->depth() / 8;
    const auto outsideBand = [&](int y) { return y < r.top() || y > r.bottom(); };
    if (m_origin + step > m_store->width() - w) {
        // Out of room: every row moves back to the store's start from where it is.
        for (int y = 0; y < m_store->height(); ++y) {
            const int from = m_lagging && outsideBand(y) ? m_keptOrigin : m_origin;
            std::memmove(storeAt(y, 0), storeAt(y, from), std::size_t(w * pixel));
        }
        m_origin = 0;
        m_keptOrigin = 0;
    }
    // The rows outside the rect stay where they are in the store; the columns the move
    // uncovers come from beyond the old view and take their old pixels when kept.
    if (!m_lagging && (r.top() > 0 || r.bottom() < m_store->height() - 1)) {
        m_lagging = true;
        m_keptOrigin = m_origin;
        m_bandTop = r.top();
        m_bandBottom = r.bottom();
    }
    const qsizetype stride = m_store->bytesPerLine();
    uchar* const view = storeAt(0, m_origin);
    if (uncovered == Uncovered::Kept)
        for (int y = r.top(); y <= r.bottom(); ++y)
            std::memmove(view + y * stride + w * pixel, view + y * stride + (w - step) * pixel,
                         std::size_t(step * pixel));
    m_origin += step;
    // Placed when something reads or draws on the image: a graph that scrolls every
    // frame reaches its strip through pixelsOf and never needs it.
    m_viewStale = true;
}

void Surface::settleRows() const {
    m_lagging = false;
    const std::size_t bytes = std::size_t(m_image.width()) * std::size_t(m_store->depth() / 8);
    const qsizetype stride = m_store->bytesPerLine();
    uchar* to = storeAt(0, m_origin);
    const uchar* from = storeAt(0, m_keptOrigin);
    for (int y = 0; y < m_store->height(); ++y, to += stride, from += stride)
        if (y < m_bandTop || y > m_bandBottom)
            std::memmove(to, from, bytes);
}

QImage& Surface::imageOf(const QRect& area) {
    // A write to a shared image copies it, rows that lag behind included: settle first.
    if (area.top() < m_bandTop || area.bottom() > m_bandBottom || !m_image.isDetached() ||
        m_viewStale)
        settle();
    unpack();
    return m_image;
}

const QImage& Surface::imageOf(const QRect& area) const {
    if (area.top() < m_bandTop || area.bottom() > m_bandBottom || m_viewStale)
        settle();
    return m_image;
}

Surface::Pixels Surface::pixelsOf(const QRect& area) {
    if (area.top() < m_bandTop || area.bottom() > m_bandBottom || !m_image.isDetached())
        settle();
    unpack();
    if (m_viewStale)
        return {storeAt(0, m_origin), m_store->bytesPerLine(), m_store->format()};
    return {m_image.bits(), m_image.bytesPerLine(), m_image.format()};
}

Surface::ConstPixels Surface::pixelsOf(const QRect& area) const {
    if (area.top() < m_bandTop || area.bottom() > m_bandBottom)
        settle();
    if (m_viewStale)
        return {storeAt(0, m_origin), m_store->bytesPerLine(), m_store->format()};
    return {m_image.constBits(), m_image.bytesPerLine(), m_image.format()};
}

void Surface::adoptStore() {
    const int w = m_image.width();
    auto store = std::make_shared<QImage>(w + storeRoom(w), m_image.height(), m_image.format());
    const std::size_t bytes = std::size_t(w) * std::size_t(m_image.depth() / 8);
    for (int y = 0; y < m_image.height(); ++y)
        std::memcpy(store->scanLine(y), m_image.constScanLine(y), bytes);
    m_store = std::move(store);
    m_origin = 0;
    placeView();
}

void Surface::placeView() const {
    m_viewStale = false;
    // Every view keeps the store alive, so a copy of an earlier view stays valid.
    auto* keep = new std::shared_ptr<QImage>(m_store);
    QImage view(
        storeAt(0, m_origin), m_image.width(), m_image.height(), m_store->bytesPerLine(),
        m_store->format(), [](void* info) { delete static_cast<std::shared_ptr<QImage>*>(info); },
        keep);
    view.setDotsPerMeterX(m_image.dotsPerMeterX());
    view.setDotsPerMeterY(m_image.dotsPerMeterY());
    view.setDevicePixelRatio(m_image.devicePixelRatio());
    m_image = std::move(view);
}

uchar* Surface::storeAt(int row, int column) const {
    // The store is never shared as an image, so reaching its pixels never copies them.
    return m_store->bits() + qsizetype(row) * m_store->bytesPerLine() +
           qsizetype(column) * (m_store->depth() / 8);
}

void Surface::refresh() {
    if (m_dirty.isEmpty() && !m_scroll)
        return;
    // Taken out before the calls, so whatever the presenters draw is kept for next time.
    const std::optional<Scroll> scroll = std::exchange(m_scroll, std::nullopt);
    QRegion dirty;
    dirty.swap(m_dirty);
    // A scroll whose rect is repainted anyway need not be shown.
    if (scroll && m_scrollPresenter && !covers(dirty, scroll->rect))
        m_scrollPresenter(scroll->rect, scroll->dx, scroll->dy);
    if (m_presenter && !dirty.isEmpty())
        m_presenter(dirty);
    if (m_keptCompact)
        pack();
}

void Surface::setKeptCompact(bool compact) {
    m_keptCompact = compact;
    if (compact)
        pack();
    else
        unpack();
}

void Surface::unpack() {
    if (m_image.isNull() || m_image.format() == SurfaceFormat)
        return;
    QImage whole = fromPalette(m_image, m_image.rect());
    if (whole.isNull()) {
        m_image = m_image.convertToFormat(SurfaceFormat);
        return;
    }
    whole.setDevicePixelRatio(m_image.devicePixelRatio());
    m_image = std::move(whole);
}

void Surface::pack() {
    // A scrolling surface or one that shows a picture in place is left as it is.
    if (m_image.isNull() || m_image.format() != SurfaceFormat || m_store || showsPictureInPlace())
        return;
    if (QImage packed = toPalette(m_image); !packed.isNull())
        m_image = std::move(packed);
}

void Surface::setPresenter(std::function<void(const QRegion&)> presenter) {
    m_presenter = std::move(presenter);
}

void Surface::setScrollPresenter(std::function<void(const QRect&, int, int)> presenter) {
    m_scrollPresenter = std::move(presenter);
}

bool Surface::showPictureInPlace(QSize pixels) {
    if (isEmpty(m_picture) || pixels.isEmpty())
        return false;
    const QImage& picture = m_picture->pixels();
    if (picture.hasAlphaChannel() || picture.width() < pixels.width() ||
        picture.height() < pixels.height())
        return false;
    // A read-only view: the first write through image() copies the pixels out, so the
    // picture itself never changes.
    QImage view(
        picture.constBits(), pixels.width(), pixels.height(), picture.bytesPerLine(),
        picture.format(), [](void* info) { delete static_cast<Picture*>(info); },
        new Picture(m_picture));
    if (!picture.colorTable().isEmpty())
        view.setColorTable(picture.colorTable()); // a palette picture's view stays a view
    m_image = std::move(view);
    return true;
}

bool Surface::showsPictureInPlace() const {
    return !isEmpty(m_picture) && !m_image.isNull() &&
           m_image.constBits() == m_picture->pixels().constBits();
}

void Surface::paintBackground(const QRect& area) {
    const QRect r = area.intersected(m_image.rect());
    if (r.isEmpty())
        return;
    const bool picture = !isEmpty(m_picture);
    // An opaque picture covering the area hides the back colour: skip that fill.
    if (!picture || m_picture->image().hasAlphaChannel() || !m_picture->image().rect().contains(r))
        gdi::fillRect(m_image, gdi::fromQRect(r), toQColor(m_backColor));
    if (picture)
        gdi::alphaBlt(m_image, r.topLeft(), m_picture->image(), gdi::fromQRect(r));
}

} // namespace tarvo::forms
