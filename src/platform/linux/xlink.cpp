#include "platform/linux/xlink.h"

#include "platform/linux/xsurfacepresenter.h"

#include "forms/framethread.h"

#include <algorithm>
#include <cstdlib>

namespace tarvo::platform {

std::unique_ptr<XLink> XLink::connect() {
    xcb_connection_t* const c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        xcb_disconnect(c);
        return nullptr;
    }
    // Retained images are 32-bit pixels in memory order; the server must take them so.
    const xcb_setup_t* setup = xcb_get_setup(c);
    bool fits = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    bool depth24 = false;
    bool depth32 = false;
    for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
        if (f.data->bits_per_pixel == 32 && f.data->depth == 24)
            depth24 = true;
        if (f.data->bits_per_pixel == 32 && f.data->depth == 32)
            depth32 = true;
    }
    if (!fits || !(depth24 || depth32)) {
        xcb_disconnect(c);
        return nullptr;
    }
    return std::unique_ptr<XLink>(new XLink(c));
}

XLink::XLink(xcb_connection_t* connection)
    : m_connection(connection) {
    // The request header of PutImage takes 24 bytes.
    m_maxImageBytes = std::size_t(xcb_get_maximum_request_length(m_connection)) * 4 - 24;
    m_notifier = std::make_unique<QSocketNotifier>(xcb_get_file_descriptor(m_connection),
                                                   QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &XLink::readEvents);
}

XLink::~XLink() {
    m_notifier.reset();
    xcb_disconnect(m_connection);
}

xcb_gcontext_t XLink::gc(xcb_window_t window) {
    if (!m_gc) {
        // No GraphicsExpose or NoExpose events: a scroll from a covered part is never
        // asked for (see the presenter), so a copy needs no reply of any kind.
        m_gc = xcb_generate_id(m_connection);
        const uint32_t values[] = {0};
        xcb_create_gc(m_connection, m_gc, window, XCB_GC_GRAPHICS_EXPOSURES, values);
    }
    return m_gc;
}

void XLink::add(XSurfacePresenter* presenter) {
    m_presenters.push_back(presenter);
}

void XLink::remove(XSurfacePresenter* presenter) {
    std::erase(m_presenters, presenter);
}

void XLink::endFrame() {
    if (!alive())
        return;
    for (XSurfacePresenter* p : m_presenters)
        p->send();
    xcb_flush(m_connection);
    checkConnection();
    // Writing may have read events into the queue without waking the notifier; taking
    // them from the queue costs no read of the socket.
    dispatch(false);
}

void XLink::readEvents() {
    dispatch(true);
}

void XLink::dispatch(bool read) {
    if (!alive())
        return;
    while (xcb_generic_event_t* event =
               read ? xcb_poll_for_event(m_connection) : xcb_poll_for_queued_event(m_connection)) {
        for (XSurfacePresenter* p : m_presenters)
            if (p->handle(event))
                break;
        std::free(event);
    }
    checkConnection();
}

void XLink::checkConnection() {
    if (m_lost || !xcb_connection_has_error(m_connection))
        return;
    m_lost = true;
    forms::runOnWindowThread(this, [this] { m_notifier->setEnabled(false); });
    // The server has dropped the windows with the connection: Qt paints them again.
    const std::vector<XSurfacePresenter*> presenters = m_presenters;
    for (XSurfacePresenter* p : presenters)
        p->lose();
}

} // namespace tarvo::platform
