#pragma once

#include <QRect>
#include <QRegion>

#include <functional>
#include <memory>

class QWidget;

namespace tarvo::forms {

class Surface;

// Shows a widget's retained surface in a native window of its own, past the toolkit's
// backing store: only what changed goes to the window system. A platform that can do so
// registers a factory at start-up; without one, widgets paint through Qt as usual.
class SurfacePresenter {
public:
    virtual ~SurfacePresenter() = default;

    // The pixels of rect moved by dx, dy in the surface. False: not shown natively (the
    // window is gone or not yet made), so the caller falls back to Qt's painting.
    virtual bool scroll(const QRect& rect, int dx, int dy) = 0;
    // The region of the surface changed. False as for scroll.
    virtual bool update(const QRegion& region) = 0;
};

using SurfacePresenterFactory =
    std::function<std::unique_ptr<SurfacePresenter>(QWidget& widget, const Surface& surface)>;

// Set once at start-up by the platform; an empty factory restores Qt's painting.
void setSurfacePresenterFactory(SurfacePresenterFactory factory);

enum class Presenting {
    Qt,     // through the widget's backing store
    Native, // through the platform's presenter where there is one, else through Qt
};

// Makes widget show surface. Native suits a surface that changes many times a second and
// that no sibling widget overlaps (the native window would hide it). The widget's
// paintEvent still copies the retained image, for whatever Qt paints itself.
void presentSurface(QWidget& widget, Surface& surface, Presenting how = Presenting::Qt);

} // namespace tarvo::forms
