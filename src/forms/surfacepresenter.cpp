#include "forms/surfacepresenter.h"

#include "forms/framethread.h"
#include "forms/surface.h"

#include <QWidget>

namespace tarvo::forms {

namespace {
SurfacePresenterFactory& factory() {
    static SurfacePresenterFactory f;
    return f;
}

// From a frame thread Qt's painting is asked for on the window thread; a scroll there
// would come after later drawing, so the area is painted again from the surface instead.
void repaint(QWidget* w, const QRegion& region) {
    runOnWindowThread(w, [w, region] { w->update(region); });
}

void scrollOrRepaint(QWidget* w, const QRect& rect, int dx, int dy) {
    if (onFrameThread())
        repaint(w, rect);
    else
        w->scroll(dx, dy, rect);
}
} // namespace

void setSurfacePresenterFactory(SurfacePresenterFactory f) {
    factory() = std::move(f);
}

void presentSurface(QWidget& widget, Surface& surface, Presenting how) {
    std::shared_ptr<SurfacePresenter> presenter;
    if (how == Presenting::Native && factory())
        presenter = factory()(widget, surface);
    QWidget* const w = &widget;
    if (!presenter) {
        surface.setPresenter([w](const QRegion& region) { repaint(w, region); });
        // A scroll moves what the window system already shows and repaints only the
        // strip it uncovers, instead of copying the whole area again.
        surface.setScrollPresenter(
            [w](const QRect& rect, int dx, int dy) { scrollOrRepaint(w, rect, dx, dy); });
        return;
    }
    surface.setPresenter([w, presenter](const QRegion& region) {
        if (!presenter->update(region))
            repaint(w, region);
    });
    surface.setScrollPresenter([w, presenter](const QRect& rect, int dx, int dy) {
        if (!presenter->scroll(rect, dx, dy))
            scrollOrRepaint(w, rect, dx, dy);
    });
}

} // namespace tarvo::forms
