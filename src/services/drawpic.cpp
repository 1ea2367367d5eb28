#include "services/drawpic.h"

#include "forms/yield.h"
#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "runtime/units.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace tarvo {

namespace gdi = forms::gdi;
using runtime::addInt32;
using runtime::element;
using runtime::subInt32;

const QColor TrafficGraph::HeaderColour{219, 245, 255};
const QColor TrafficGraph::BackgroundColour{255, 255, 255};
const QColor TrafficGraph::GridColour{210, 245, 255};
const QColor TrafficGraph::TextColour{0, 0, 0};
const std::array<QColor, TrafficGraph::LineCount> TrafficGraph::LineColours{
    QColor(2, 181, 236), QColor(142, 255, 99), QColor(255, 100, 100)};

namespace {

constexpr int LinePenWidth = 3;
constexpr int GridPen = 3;       // quarter marks and the vertical mark, one pixel
constexpr int MiddleGridPen = 4; // the middle mark, two pixels
constexpr int ScaleInset = 25;   // rows of the box that a full-scale line stays below

// The text reaches the system in its ANSI form, so what the code page cannot hold
// shows as it would there.
QString throughAnsi(const QString& text) {
    return runtime::fromAnsi(runtime::toAnsi(text));
}

// A fresh memory context draws with the system font.
QFont defaultDeviceFont() {
    return gdi::createFont(16, 0, 400, false, false, false, QStringLiteral("System"));
}

} // namespace

QString TrafficGraph::welcomeText() {
    return QStringLiteral("\r\n\r\n 欢迎使用 Tarvo 1.5\r\n\r\n蓝线：可用的网络带宽\r\n"
                          "红线： 正在上传的速度\r\n绿线： 正在下载的速度");
}

QString TrafficGraph::labelText(int line, std::span<const float> ratios,
                                std::span<const qint16> values, const QLocale& locale) {
    switch (line) {
    case 0:
        return runtime::doubleToText(element(values, 0) / 10.0, locale) + QStringLiteral("/100");
    case 1: {
        const qint16 download = element(values, 1);
        if (download > 7)
            return QString::number(download) + QStringLiteral("KB/S");
        return {};
    }
    case 2: {
        // Widened so that opposite extremes compare instead of overflowing.
        const int difference = int(element(values, 2)) - int(element(values, 1));
        if (std::abs(difference) > 15) {
            const float speed = element(ratios, 2) * 200.0f;
            return runtime::singleToText(speed, locale) + QStringLiteral("KB/S");
        }
        return {};
    }
    default:
        return {};
    }
}

void TrafficGraph::draw(forms::Surface& pic, qint16 step, std::span<const float> ratios,
                        std::span<const qint16> values) {
    if (!m_initialised)
        initialise(pic, step);

    // Surfaces always measure in pixels; only the yield is left to do here.
    forms::doEvents();

    m_snapshotStale = true;
    // A call that ended early (a fault) left the box behind the bitmap.
    if (!m_finished)
        m_shownOn = nullptr;
    m_finished = false;
    const bool drawing = m_tick == CallsPerPiece - 1;
    if (drawing) {
        m_tick = 0;
        m_drawnFrom = std::numeric_limits<int>::max();
        syncHeader(); // pieces and labels may reach into the header rows
        for (int line = 0; line < LineCount; ++line)
            drawPiece(pic, line, ratios, values);
        drawGridMarks(pic);
    } else {
        ++m_tick;
    }

    scrollAndShow(pic, step, drawing);
}

void TrafficGraph::initialise(forms::Surface& pic, qint16 step) {
    const int w = pic.scaleWidth();
    const int h = pic.scaleHeight();
    const QImage::Format format =
        pic.image().isNull() ? QImage::Format_RGB32 : pic.image().format();
    const int bitmapWidth = int(step) + w + Margin;
    if (bitmapWidth > 0 && h > 0) {
        // Room for the origin to move a quarter of the bitmap's width: the bitmap moves
        // back once per that many pixels of scrolling, a small cost next to keeping a
        // store twice as wide. Pixels smaller than a byte cannot move by origin.
        m_room = QImage(1, 1, format).depth() % 8 == 0 ? std::max(1, bitmapWidth / 4) : 0;
        m_store = QImage(bitmapWidth + m_room, h, format);
        m_store.fill(Qt::black); // as a fresh compatible bitmap; only the rectangles are filled
    }
    m_origin = 0;
    m_headerOrigin = 0;
    placeBitmap();
    m_currentFont = defaultDeviceFont();
    m_initialised = true;

    for (int line = 0; line < LineCount; ++line)
        m_pens[std::size_t(line)] = gdi::Pen{LineColours[std::size_t(line)], LinePenWidth};
    m_pens[GridPen] = gdi::Pen{GridColour, 1};
    m_pens[MiddleGridPen] = gdi::Pen{GridColour, 2};
    m_headerBrush = HeaderColour;
    m_backgroundBrush = BackgroundColour;
    for (int line = 0; line < LineCount; ++line)
        m_current[std::size_t(line)] = Point{w, line + 1};

    m_headerRect = gdi::Rect{0, 0, w, HeaderHeight};
    m_graphRect = gdi::Rect{0, HeaderHeight, w + Margin, h};
    m_labelRect = gdi::Rect{w - 30, 0, w + 12, 0};

    gdi::fillRect(m_bitmap, m_graphRect, m_backgroundBrush);
    gdi::fillRect(m_bitmap, m_headerRect, m_headerBrush);
    gdi::drawText(m_bitmap, throughAnsi(welcomeText()), m_graphRect, gdi::DtCenter | gdi::DtTop,
                  m_currentFont, TextColour);
    copyHeader(pic);
}

void TrafficGraph::drawPiece(forms::Surface& pic, int line, std::span<const float> ratios,
                             std::span<const qint16> values) {
    const auto i = std::size_t(line);
    Point& current = m_current[i];
    const QPoint from(current.x, subInt32(pic.scaleHeight(), current.y));

    const double scale = double(subInt32(pic.scaleHeight(), ScaleInset));
    current.y = runtime::toInt32(scale * double(element(ratios, line)) + line + 1);
    const QPoint to(addInt32(current.x, PieceLength), subInt32(pic.scaleHeight(), current.y));
    gdi::line(bitmapView(), from, to, m_pens[i]);
    m_drawnFrom = std::min(m_drawnFrom, std::min(from.x(), to.x()) - LinePenWidth);
    noteDrawnFrom(std::min(from.y(), to.y()) - LinePenWidth);

    copyHeader(pic);
    forms::doEvents();

    if (current.y != m_previous[i].y) {
        m_labelRect.top = subInt32(pic.scaleHeight(), current.y);
        m_labelRect.bottom = addInt32(m_labelRect.top, LabelHeight);
        m_currentFont = CreateLabelFont(runtime::DotsPerInch, LabelPoints, 0);
        const QString text = labelText(line, ratios, values);
        if (!text.isEmpty()) {
            // Clipped to its rectangle.
            gdi::drawText(bitmapView(), throughAnsi(text), m_labelRect, gdi::DtCenter | gdi::DtTop,
                          m_currentFont, TextColour);
            m_drawnFrom = std::min(m_drawnFrom, m_labelRect.left);
            noteDrawnFrom(m_labelRect.top);
        }
    }
    m_previous[i] = current;
}

void TrafficGraph::drawGridMarks(const forms::Surface& pic) {
    const int w = pic.scaleWidth();
    const int h = pic.scaleHeight();
    const double scale = double(subInt32(h, ScaleInset));
    const qint32 middle = runtime::toInt32(scale / 2 + HeaderHeight);
    const qint32 quarter = runtime::toInt32(scale / 4 + HeaderHeight);
    const qint32 threeQuarters = runtime::toInt32(scale / 4 * 3 + HeaderHeight);
    const qint32 end = addInt32(w, PieceLength);

    QImage& bitmap = bitmapView();
    gdi::line(bitmap, {w, middle}, {end, middle}, m_pens[MiddleGridPen]);
    gdi::line(bitmap, {w, quarter}, {end, quarter}, m_pens[GridPen]);
    gdi::line(bitmap, {w, threeQuarters}, {end, threeQuarters}, m_pens[GridPen]);
    gdi::line(bitmap, {w, HeaderHeight}, {w, h}, m_pens[GridPen]);
    m_drawnFrom = std::min(m_drawnFrom, w - LinePenWidth);
}

void TrafficGraph::scrollAndShow(forms::Surface& pic, qint16 step, bool drew) {
    const int w = pic.scaleWidth();
    const int h = pic.scaleHeight();
    // The bitmap scrolls onto itself; its last columns, never overwritten, bring in
    // fresh background from the right. Mostly that is a move of the origin.
    if (!scrollByOrigin(w, h, step)) {
        const int scrollRight = addInt32(w, Margin);
        const int scrollBottom = std::min(addInt32(h, HeaderHeight), m_bitmap.height());
        QImage& bitmap = bitmapView();
        for (int y = HeaderHeight; y < scrollBottom; ++y)
            gdi::bitBlt(bitmap, {-int(step), y}, bitmap, gdi::Rect{0, y, scrollRight, y + 1});
    }
    // The box now holds what it showed before, moved by step, plus what came in at the
    // edge: it scrolls its own pixels and takes only the new strip from the bitmap, and
    // presents that as a scroll. That holds only while nobody else drew on the box and
    // its size stayed; otherwise the visible part goes to the box again, the rows the
    // scroll reached.
    const int shownBottom = std::min({addInt32(h, HeaderHeight), m_bitmap.height(), h});
    if (shownBottom <= HeaderHeight) {
        pic.markDirty(QRect(0, HeaderHeight, w, h - HeaderHeight));
    } else if (&pic == m_shownOn && pic.size() == m_shownSize &&
               pic.changeCount() == m_shownChanges && step >= 1 && step < w &&
               w <= m_bitmap.width()) {
        const QRect area(0, HeaderHeight, w, shownBottom - HeaderHeight);
        pic.scroll(area, -int(step), 0, forms::Surface::Uncovered::Repainted);
        int from = w - step;
        if (drew)
            from = std::clamp(m_drawnFrom - int(step), 0, from);
        // Straight from the store: the bitmap's view is placed again only to draw on it.
        const QRect strip(from, HeaderHeight, w - from, shownBottom - HeaderHeight);
        copyStrip(pic, strip);
        pic.markDirty(strip);
    } else {
        gdi::bitBlt(pic.image(), {0, HeaderHeight}, bitmapView(),
                    gdi::Rect{0, HeaderHeight, w, shownBottom});
        pic.markDirty(QRect(0, HeaderHeight, w, h - HeaderHeight));
    }
    pic.refresh();
    noteShown(pic);
    m_finished = true;
    forms::doEvents();
}

void TrafficGraph::copyStrip(forms::Surface& pic, const QRect& strip) {
    const gdi::Rect source{m_origin + strip.left(), strip.top(), m_origin + strip.right() + 1,
                           strip.bottom() + 1};
    // Row by row where the box keeps the store's pixel format (it always does unless
    // someone changed it): its image is not placed again after its own scroll.
    const forms::Surface::Pixels to = pic.pixelsOf(strip);
    if (to.format != m_store.format() || m_store.depth() % 8 != 0) {
        gdi::bitBlt(pic.imageOf(strip), strip.topLeft(), m_store, source);
        return;
    }
    const qsizetype pixel = m_store.depth() / 8;
    const std::size_t bytes = std::size_t(strip.width() * pixel);
    const qsizetype stride = m_store.bytesPerLine();
    uchar* row = to.bits + strip.top() * to.bytesPerLine + strip.left() * pixel;
    // One reach into the store, then row by row: each reach checks for sharing again.
    const uchar* from = storeAt(strip.top(), source.left);
    if (bytes == sizeof(quint32)) {
        // The usual strip, one 32-bit pixel a row: no call per row.
        for (int y = strip.top(); y <= strip.bottom();
             ++y, row += to.bytesPerLine, from += stride) {
            quint32 pixelValue;
            std::memcpy(&pixelValue, from, sizeof pixelValue);
            std::memcpy(row, &pixelValue, sizeof pixelValue);
        }
        return;
    }
    for (int y = strip.top(); y <= strip.bottom(); ++y, row += to.bytesPerLine, from += stride)
        std::memcpy(row, from, bytes);
}

bool TrafficGraph::scrollByOrigin(int w, int h, qint16 step) {
    const int rows = m_bitmap.height();
    if (m_room == 0 || step < 1 || step > m_room || addInt32(h, HeaderHeight) < rows)
        return false;
    if (m_origin + step > m_room)
        compact();
    // A copy of the columns before `right` onto itself, `step` to the left: every
    // column from `kept` on keeps its pixels, the others take those `step` to their
    // right, which the new origin gives them without a copy.
    const int width = m_bitmap.width();
    const int right = std::min(addInt32(w, Margin), width);
    const int kept = std::max(0, right - step);
    const int origin = m_origin + step;
    const qsizetype stride = m_store.bytesPerLine();
    uchar* to = storeAt(HeaderHeight, origin + kept);
    const std::ptrdiff_t from = storeAt(HeaderHeight, m_origin + kept) - to;
    const std::size_t bytes = std::size_t(width - kept) * std::size_t(m_store.depth() / 8);
    if (bytes == sizeof(quint64)) {
        // A step of one 32-bit pixel, every tick: two pixels a row, moved as one word
        // rather than by a call per row.
        for (int y = HeaderHeight; y < rows; ++y, to += stride) {
            quint64 word;
            std::memcpy(&word, to + from, sizeof word);
            std::memcpy(to, &word, sizeof word);
        }
    } else {
        for (int y = HeaderHeight; y < rows; ++y, to += stride)
            std::memmove(to, to + from, bytes);
    }
    m_origin = origin;
    return true;
}

void TrafficGraph::placeBitmap() {
    if (m_store.isNull()) {
        m_bitmap = QImage();
        return;
    }
    m_bitmap = QImage(storeAt(0, m_origin), m_store.width() - m_room, m_store.height(),
                      m_store.bytesPerLine(), m_store.format());
    m_bitmap.setColorTable(m_store.colorTable());
    m_bitmap.setDotsPerMeterX(m_store.dotsPerMeterX());
    m_bitmap.setDotsPerMeterY(m_store.dotsPerMeterY());
    m_bitmapOrigin = m_origin;
}

QImage& TrafficGraph::bitmapView() {
    if (m_bitmapOrigin != m_origin)
        placeBitmap();
    return m_bitmap;
}

void TrafficGraph::syncHeader() {
    if (m_headerOrigin == m_origin)
        return;
    moveRows(0, std::min(int(HeaderHeight), m_store.height()), m_headerOrigin, m_origin);
    m_headerOrigin = m_origin;
}

void TrafficGraph::compact() {
    syncHeader();
    moveRows(0, m_store.height(), m_origin, 0);
    m_origin = 0;
    m_headerOrigin = 0;
    placeBitmap();
}

void TrafficGraph::moveRows(int top, int bottom, int fromColumn, int toColumn) {
    // The bitmap's width from one column to another, row by row.
    if (top >= bottom)
        return;
    const std::size_t bytes = std::size_t(m_bitmap.width()) * std::size_t(m_store.depth() / 8);
    const qsizetype stride = m_store.bytesPerLine();
    uchar* to = storeAt(top, toColumn);
    const uchar* from = storeAt(top, fromColumn);
    for (int y = top; y < bottom; ++y, to += stride, from += stride)
        std::memmove(to, from, bytes);
}

uchar* TrafficGraph::storeAt(int row, int column) {
    // The store is never shared, so reaching its pixels never copies them.
    return m_store.bits() + qsizetype(row) * m_store.bytesPerLine() +
           qsizetype(column) * (m_store.depth() / 8);
}

const QImage& TrafficGraph::bitmap() const {
    if (m_snapshotStale) {
        // From the store at the current origin: the view may still lie where it was drawn.
        m_snapshot = m_store.isNull()
                         ? QImage()
                         : m_store.copy(m_origin, 0, m_store.width() - m_room, m_store.height());
        if (m_headerOrigin != m_origin) {
            const int bytesPerPixel = m_store.depth() / 8;
            const std::size_t bytes = std::size_t(m_bitmap.width()) * std::size_t(bytesPerPixel);
            for (int y = 0; y < std::min(int(HeaderHeight), m_snapshot.height()); ++y)
                std::memcpy(m_snapshot.scanLine(y),
                            m_store.constScanLine(y) + qsizetype(m_headerOrigin) * bytesPerPixel,
                            bytes);
        }
        m_snapshotStale = false;
    }
    return m_snapshot;
}

void TrafficGraph::noteDrawnFrom(int top) {
    if (top < HeaderHeight)
        m_headerDrawn = true;
}

void TrafficGraph::copyHeader(forms::Surface& pic) {
    const bool shownBefore =
        &pic == m_shownOn && pic.size() == m_shownSize && pic.changeCount() == m_shownChanges;
    // The box shows the header as it is: nothing reached its rows since the last copy.
    if (shownBefore && !m_headerDrawn)
        return;
    syncHeader();
    gdi::bitBlt(pic.image(), {0, 0}, bitmapView(), m_headerRect);
    pic.markDirty(QRect(0, 0, m_headerRect.right, HeaderHeight));
    pic.refresh();
    m_headerDrawn = false;
    // The header lies outside the scrolling area: it does not spoil the next scroll.
    if (shownBefore)
        noteShown(pic);
}

void TrafficGraph::noteShown(const forms::Surface& pic) {
    m_shownOn = &pic;
    m_shownSize = pic.size();
    m_shownChanges = pic.changeCount();
}

void DrawTrafficGraph(forms::Surface& pic, qint16 step, std::span<const float> ratios,
                      std::span<const qint16> values) {
    // Module state lives for the whole run and is never released.
    static TrafficGraph* const graph = new TrafficGraph;
    graph->draw(pic, step, ratios, values);
}

QFont CreateLabelFont(int dpiY, qint16 points, qint32 angle) {
    const int height = -gdi::mulDiv(points, dpiY, 72);
    const qint32 escapement = runtime::narrowInt32(qint64(angle) * 10);
    return gdi::createFont(height, escapement, 400, false, false, false,
                           QStringLiteral("Times New Roman"));
}

} // namespace tarvo
