#include "platform/presentation.h"

#include "forms/frame.h"
#include "forms/surfacepresenter.h"
#include "forms/ticksource.h"
#include "platform/linux/xlink.h"
#include "platform/linux/xsurfacepresenter.h"

#include <QGuiApplication>

namespace tarvo::platform {

void installSurfacePresenters() {
    // Only under Qt's X11 plugin; elsewhere (offscreen tests, Wayland) Qt paints.
    if (!qGuiApp || !qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        return;
    // Lives for the whole run, like the windows it serves.
    XLink* const link = XLink::connect().release();
    if (!link)
        return;
    forms::setFrameEndHandler([link] { link->endFrame(); });
    forms::setSurfacePresenterFactory(
        [link](QWidget& widget,
               const forms::Surface& surface) -> std::unique_ptr<forms::SurfacePresenter> {
            if (!link->alive())
                return nullptr;
            return std::make_unique<XSurfacePresenter>(*link, widget, surface);
        });
    // Frames go straight to the window system, so they need not wait for Qt's loop:
    // they run on a thread of their own, woken only by their clock.
    forms::TickSource::instance().setFrameThreadEnabled(true);
}

} // namespace tarvo::platform
