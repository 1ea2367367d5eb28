#pragma once

#include "forms/surfacepresenter.h"

#include <QObject>
#include <QPointer>
#include <QRegion>
#include <QWidget>

#include <xcb/xcb.h>

#include <optional>
#include <vector>

namespace tarvo::forms {
class Surface;
}

namespace tarvo::platform {

class XLink;

// Shows one widget's retained surface in an X window of its own, a child of the widget's
// top-level window laid exactly over the widget. Qt keeps painting the widget into its
// backing store underneath, unseen; this window shows the surface. Changes wait for the
// frame's end: a scroll goes out as a copy of the window's own pixels, changed areas as
// image uploads. The window takes no input, so the pointer's events reach Qt's window.
class XSurfacePresenter final : public QObject, public forms::SurfacePresenter {
public:
    XSurfacePresenter(XLink& link, QWidget& widget, const forms::Surface& surface);
    ~XSurfacePresenter() override;

    bool scroll(const QRect& rect, int dx, int dy) override;
    bool update(const QRegion& region) override;

    // Called by the link: send what is pending; handle an event of this window (false:
    // not ours); the connection is gone.
    void send();
    bool handle(const xcb_generic_event_t* event);
    void lose();

    xcb_window_t window() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Scroll {
        QRect rect;
        int dx = 0;
        int dy = 0;
    };

    bool makeWindow();
    void dropWindow();    // falls back to Qt's painting
    void repaintWidget(); // has Qt paint the widget, on the window thread
    void place();
    bool coveredByOthers() const;
    void putImage(const QRect& rect);
    void sendAll();

    XLink& m_link;
    QPointer<QWidget> m_widget;
    const forms::Surface& m_surface;
    xcb_window_t m_window = 0;
    uint8_t m_depth = 24;
    bool m_failed = false; // no native window for this widget: Qt paints it
    bool m_mapped = false;
    bool m_unobscured = false; // only then do the window's own pixels hold the image
    std::optional<Scroll> m_scroll;
    QRegion m_dirty;
    std::vector<uint8_t> m_rows; // rows of a narrow upload, gathered
};

} // namespace tarvo::platform
