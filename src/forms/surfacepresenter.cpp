#include "forms/surfacepresenter.h"

#include "forms/surface.h"

#include <QWidget>

namespace tarvo::forms {

namespace {
SurfacePresenterFactory& factory() {
    static SurfacePresenterFactory f;
    return f;
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
        surface.setPresenter([w](const QRegion& region) { w->update(region); });
        // A scroll moves what the window system already shows and repaints only the
        // strip it uncovers, instead of copying the whole area again.
        surface.setScrollPresenter(
            [w](const QRect& rect, int dx, int dy) { w->scroll(dx, dy, rect); });
        return;
    }
    surface.setPresenter([w, presenter](const QRegion& region) {
        if (!presenter->update(region))
            w->update(region);
    });
    surface.setScrollPresenter([w, presenter](const QRect& rect, int dx, int dy) {
        if (!presenter->scroll(rect, dx, dy))
            w->scroll(dx, dy, rect);
    });
}

} // namespace tarvo::forms
