#include "platform/linux/xsurfacepresenter.h"

#include "forms/frame.h"
#include "forms/framethread.h"
#include "forms/surface.h"
#include "platform/linux/xlink.h"

#include <QEvent>
#include <QGuiApplication>
#include <QShowEvent>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tarvo::platform {

namespace {

// More rectangles than this go out as their bounding box, one request.
constexpr int MaxRects = 8;

// Rows gathered from a wider store go out in requests of at most this many bytes. The
// buffer that gathers them is kept from frame to frame; sized by the largest area ever
// sent (a whole surface again after an exposure), it would keep that much for good.
constexpr std::size_t GatherBytes = 32 * 1024;

// Qt's own connection, which creates the top-level windows.
xcb_connection_t* qtConnection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// Whether region covers all of rect. Most frames only a strip inside rect is dirty: its
// bounds tell, without building and subtracting regions every frame.
bool coveredBy(const QRegion& region, const QRect& rect) {
    if (!region.boundingRect().contains(rect))
        return false;
    if (region.rectCount() == 1)
        return true;
    return QRegion(rect).subtracted(region).isEmpty();
}

} // namespace

XSurfacePresenter::XSurfacePresenter(XLink& link, QWidget& widget, const forms::Surface& surface)
    : m_link(link)
    , m_widget(&widget)
    , m_surface(surface) {
    m_link.add(this);
    widget.installEventFilter(this);
    // Asked for after the widget was shown: as if it were shown now.
    if (widget.isVisible()) {
        QShowEvent show;
        eventFilter(&widget, &show);
    }
}

XSurfacePresenter::~XSurfacePresenter() {
    m_link.remove(this);
    if (m_window && m_link.alive()) {
        xcb_destroy_window(m_link.connection(), m_window);
        xcb_flush(m_link.connection());
    }
}

bool XSurfacePresenter::update(const QRegion& region) {
    if (!m_window)
        return false;
    m_dirty += region;
    forms::requestFrameEnd();
    return true;
}

bool XSurfacePresenter::scroll(const QRect& rect, int dx, int dy) {
    if (!m_window)
        return false;
    const auto moveDirty = [&] {
        // What waits inside rect moved with the pixels.
        if (const QRegion inside = m_dirty.intersected(rect); !inside.isEmpty()) {
            m_dirty -= rect;
            m_dirty += inside.translated(dx, dy).intersected(rect);
        }
    };
    if (!m_scroll) {
        moveDirty();
        m_scroll = Scroll{rect, dx, dy};
    } else if (m_scroll->rect == rect && std::abs(m_scroll->dx + dx) < rect.width() &&
               std::abs(m_scroll->dy + dy) < rect.height()) {
        // Two scrolls of one area within a frame make one longer copy.
        moveDirty();
        m_scroll->dx += dx;
        m_scroll->dy += dy;
    } else {
        m_dirty += rect;
    }
    forms::requestFrameEnd();
    return true;
}

void XSurfacePresenter::send() {
    if (!m_window)
        return;
    const std::optional<Scroll> scroll = std::exchange(m_scroll, std::nullopt);
    QRegion dirty;
    dirty.swap(m_dirty);
    // Not shown: the exposure that comes with showing sends everything.
    if (!m_mapped)
        return;
    xcb_connection_t* const c = m_link.connection();
    if (scroll) {
        const QRect& r = scroll->rect;
        // The window's own pixels hold the image only where nothing covers them; else
        // the moved area goes up as an image. A scroll repainted anyway is not copied.
        if (m_unobscured && !coveredBy(dirty, r)) {
            const int width = r.width() - std::abs(scroll->dx);
            const int height = r.height() - std::abs(scroll->dy);
            xcb_copy_area(
                c, m_window, m_window, m_link.gc(m_window),
                int16_t(r.x() + std::max(0, -scroll->dx)),
                int16_t(r.y() + std::max(0, -scroll->dy)), int16_t(r.x() + std::max(0, scroll->dx)),
                int16_t(r.y() + std::max(0, scroll->dy)), uint16_t(width), uint16_t(height));
        } else {
            dirty += r;
        }
    }
    if (dirty.rectCount() > MaxRects)
        putImage(dirty.boundingRect());
    else
        for (const QRect& r : dirty)
            putImage(r);
}

void XSurfacePresenter::putImage(const QRect& rect) {
    const QRect r = rect.intersected(QRect(QPoint(0, 0), m_surface.size()));
    if (r.isEmpty())
        return;
    // Raw, so that a scrolled surface need not place its image again every frame.
    forms::Surface::ConstPixels pixels = m_surface.pixelsOf(r);
    QImage converted;
    if (QImage::toPixelFormat(pixels.format).bitsPerPixel() != 32) {
        converted = m_surface.imageOf(r).convertToFormat(QImage::Format_RGB32);
        pixels = {converted.constBits(), converted.bytesPerLine(), converted.format()};
    }
    xcb_connection_t* const c = m_link.connection();
    const std::size_t rowBytes = std::size_t(r.width()) * 4;
    const qsizetype stride = pixels.bytesPerLine;
    const uint8_t* const origin = pixels.bits + std::size_t(r.x()) * 4;
    // Whole rows of the image go straight from it; narrower areas are gathered.
    const bool direct = std::size_t(stride) == rowBytes;
    const std::size_t requestBytes =
        direct ? m_link.maxImageBytes() : std::min(m_link.maxImageBytes(), GatherBytes);
    const int rowsPerRequest = int(std::max<std::size_t>(1, requestBytes / rowBytes));
    for (int y = r.top(); y <= r.bottom(); y += rowsPerRequest) {
        const int rows = std::min(rowsPerRequest, r.bottom() + 1 - y);
        const uint8_t* data = origin + y * stride;
        if (!direct) {
            // Grown only, never cleared: every byte sent is written first.
            if (m_rows.size() < rowBytes * std::size_t(rows))
                m_rows.resize(rowBytes * std::size_t(rows));
            uint8_t* to = m_rows.data();
            if (rowBytes == 4) {
                // The strip a scroll uncovers is one pixel wide: a word a row.
                for (int i = 0; i < rows; ++i, to += 4, data += stride)
                    std::memcpy(to, data, 4);
            } else {
                for (int i = 0; i < rows; ++i, to += rowBytes, data += stride)
                    std::memcpy(to, data, rowBytes);
            }
            data = m_rows.data();
        }
        xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, m_window, m_link.gc(m_window),
                      uint16_t(r.width()), uint16_t(rows), int16_t(r.x()), int16_t(y), 0, m_depth,
                      uint32_t(rowBytes * std::size_t(rows)), data);
    }
}

void XSurfacePresenter::sendAll() {
    m_scroll.reset();
    m_dirty = QRegion(QRect(QPoint(0, 0), m_surface.size()));
    forms::requestFrameEnd();
}

bool XSurfacePresenter::handle(const xcb_generic_event_t* event) {
    if (!m_window)
        return false;
    switch (event->response_type & 0x7f) {
    case 0: {
        const auto* error = reinterpret_cast<const xcb_generic_error_t*>(event);
        if (error->resource_id != m_window)
            return false;
        dropWindow();
        m_failed = true;
        return true;
    }
    case XCB_EXPOSE: {
        const auto* e = reinterpret_cast<const xcb_expose_event_t*>(event);
        if (e->window != m_window)
            return false;
        // Whatever was lost, the whole retained image goes again.
        if (e->count == 0)
            sendAll();
        return true;
    }
    case XCB_VISIBILITY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_visibility_notify_event_t*>(event);
        if (e->window != m_window)
            return false;
        m_unobscured = e->state == XCB_VISIBILITY_UNOBSCURED;
        return true;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (e->window != m_window)
            return false;
        // Gone with its parent: made again at the next show.
        m_window = 0;
        m_mapped = false;
        repaintWidget();
        return true;
    }
    default:
        return false;
    }
}

void XSurfacePresenter::lose() {
    m_window = 0;
    m_mapped = false;
    m_failed = true;
    m_scroll.reset();
    m_dirty = QRegion();
    repaintWidget();
}

void XSurfacePresenter::repaintWidget() {
    // Events and a lost link may reach a presenter during a frame on the frame thread.
    if (m_widget)
        forms::runOnWindowThread(m_widget, [widget = m_widget] {
            if (widget)
                widget->update();
        });
}

bool XSurfacePresenter::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_widget)
        return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!m_window && !m_failed && !makeWindow())
            m_failed = true;
        if (m_window && !m_mapped) {
            place();
            xcb_map_window(m_link.connection(), m_window);
            m_mapped = true;
            forms::requestFrameEnd();
        }
        break;
    case QEvent::Hide:
        if (m_window && m_mapped) {
            xcb_unmap_window(m_link.connection(), m_window);
            m_mapped = false;
            forms::requestFrameEnd();
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (m_window) {
            place();
            sendAll();
        }
        break;
    case QEvent::ParentChange:
        dropWindow();
        m_failed = false;
        break;
    default:
        break;
    }
    return false;
}

bool XSurfacePresenter::makeWindow() {
    if (!m_widget || !m_link.alive())
        return false;
    QWidget* const top = m_widget->window();
    if (top == m_widget || m_widget->devicePixelRatioF() != 1.0 || coveredByOthers())
        return false;
    xcb_connection_t* const qt = qtConnection();
    if (!qt)
        return false;
    const auto parent = xcb_window_t(top->winId());
    // Qt's connection must have made the parent before this one refers to it.
    std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));

    xcb_connection_t* const c = m_link.connection();
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr);
    if (!geometry)
        return false;
    m_depth = geometry->depth;
    std::free(geometry);
    if (m_depth != 24 && m_depth != 32)
        return false;

    m_window = xcb_generate_id(c);
    // No background: the server leaves exposed areas alone until the image arrives.
    const uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_GRAVITY_BIT_FORGET,
                               XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_VISIBILITY_CHANGE |
                                   XCB_EVENT_MASK_STRUCTURE_NOTIFY};
    const QRect g = QRect(m_widget->mapTo(top, QPoint(0, 0)), m_widget->size());
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, parent, int16_t(g.x()), int16_t(g.y()),
                      uint16_t(std::max(1, g.width())), uint16_t(std::max(1, g.height())), 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                      XCB_CW_BACK_PIXMAP | XCB_CW_BIT_GRAVITY | XCB_CW_EVENT_MASK, values);
    m_mapped = false;
    m_unobscured = false;
    return true;
}

void XSurfacePresenter::dropWindow() {
    if (m_window && m_link.alive())
        xcb_destroy_window(m_link.connection(), m_window);
    m_window = 0;
    m_mapped = false;
    m_scroll.reset();
    m_dirty = QRegion();
    repaintWidget();
}

void XSurfacePresenter::place() {
    QWidget* const top = m_widget->window();
    const QRect g = QRect(m_widget->mapTo(top, QPoint(0, 0)), m_widget->size());
    const uint32_t values[] = {uint32_t(g.x()), uint32_t(g.y()), uint32_t(std::max(1, g.width())),
                               uint32_t(std::max(1, g.height()))};
    xcb_configure_window(m_link.connection(), m_window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
}

// A widget stacked above this one would be hidden by the native window: such a widget is
// left to Qt.
bool XSurfacePresenter::coveredByOthers() const {
    for (const QWidget* w = m_widget; w && !w->isWindow(); w = w->parentWidget()) {
        const QWidget* parent = w->parentWidget();
        const QRect area(m_widget->mapTo(parent, QPoint(0, 0)), m_widget->size());
        const QObjectList& siblings = parent->children();
        const auto self = std::find(siblings.begin(), siblings.end(), w);
        for (auto it = self == siblings.end() ? self : self + 1; it != siblings.end(); ++it) {
            const auto* sibling = qobject_cast<const QWidget*>(*it);
            if (sibling && !sibling->isWindow() && !sibling->isHidden() &&
                sibling->geometry().intersects(area))
                return true;
        }
    }
    return false;
}

} // namespace tarvo::platform
