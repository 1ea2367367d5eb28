#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <memory>
#include <vector>

namespace tarvo::platform {

class XSurfacePresenter;

// The presenters' own connection to the X server, apart from Qt's: it carries the
// native surface windows, hears their exposures, and is flushed once per frame. Losing
// it loses only these windows; their widgets go back to Qt's painting.
class XLink final : public QObject {
public:
    // Null where no X server answers or its pixels are not 32 bits in memory order.
    static std::unique_ptr<XLink> connect();
    ~XLink() override;

    xcb_connection_t* connection() const { return m_connection; }
    xcb_gcontext_t gc(xcb_window_t window);
    bool alive() const { return m_connection && !m_lost; }
    // Bytes of image data one request may carry.
    std::size_t maxImageBytes() const { return m_maxImageBytes; }

    void add(XSurfacePresenter* presenter);
    void remove(XSurfacePresenter* presenter);

    // End of a frame: every presenter sends what it holds, then one flush.
    void endFrame();

private:
    explicit XLink(xcb_connection_t* connection);
    void readEvents();
    void dispatch(bool read); // read: from the socket too, else only what is queued
    void checkConnection();

    xcb_connection_t* m_connection = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
    xcb_gcontext_t m_gc = 0;
    std::size_t m_maxImageBytes = 0;
    bool m_lost = false;
    std::vector<XSurfacePresenter*> m_presenters;
};

} // namespace tarvo::platform
