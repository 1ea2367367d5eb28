#pragma once

#include "controls/button/buttonmodel.h"
#include "controls/button/drawcontent.h"
#include "forms/surface.h"

class QWidget;

namespace tarvo {

// The button's one redraw: clear the surface, look pressed when set, draw the body of
// the style for the state (the body calls DrawContent), present. A style number
// outside the table draws nothing but the clear.
class ButtonPainter final {
public:
    // True when the body asked for the window region to be rebuilt.
    bool paint(ButtonModel& model, forms::Surface& surface, QWidget* widget = nullptr);

    const ContentPainter& content() const { return m_content; }

private:
    ContentPainter m_content;
};

} // namespace tarvo
