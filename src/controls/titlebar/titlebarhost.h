#pragma once

#include "forms/surface.h"

#include <QSize>

class QWidget;

namespace tarvo {

// What the title bar needs of the window it dresses. A host may lack a drawing surface
// (nullptr); the dressing steps that need one are then skipped.
class TitleBarHost {
public:
    virtual ~TitleBarHost() = default;

    virtual QWidget* hwnd() = 0;              // the window to move and to shape
    virtual QSize outerSizeTwips() const = 0; // Width, Height
    virtual forms::Surface* surface() = 0;    // retained, in pixels, under every child
    virtual void Hide() = 0;
    virtual void Unload() = 0; // through the host's normal unload path
    virtual bool MinButton() const = 0;
    virtual bool MaxButton() const = 0;
};

} // namespace tarvo
