#include "controls/button/buttonpainter.h"

#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"
#include "runtime/numbers.h"

#include <array>

namespace tarvo {

namespace {

using StyleBody = void (*)(StyleContext&);

constexpr std::array<StyleBody, ButtonStyleCount> styleBodies = {
    drawClassic,         // 0 Standard
    drawClassic,         // 1 Flat
    drawRoundedGradient, // 2
    drawSideShaded,      // 3
    drawHighlight,       // 4
    drawHighlightWarm,   // 5
    drawRoundedLarge,    // 6
    drawRoundedLight,    // 7
    drawHoverWarm,       // 8
    drawRoundedSoft,     // 9
    drawSplitGradient,   // 10
    drawClassic,         // 11 HoverEdge
    drawClassic,         // 12 FlatToolbar
    drawThemed,          // 13
};

} // namespace

int StyleContext::half() const {
    return runtime::toInt32(H / 2.0);
}

void StyleContext::drawContent() {
    content.draw(*this);
}

bool ButtonPainter::paint(ButtonModel& model, forms::Surface& surface, QWidget* widget) {
    surface.cls();
    ButtonProperties& p = model.props();
    model.applySetLook();
    StyleContext ctx{surface.image(), p, model.state(), m_content, widget};
    ctx.W = surface.scaleWidth();
    ctx.H = surface.scaleHeight();
    ctx.B = TranslateColor(p.backColor);
    if (ctx.W > 0 && ctx.H > 0 && p.buttonStyle >= 0 && p.buttonStyle < ButtonStyleCount)
        styleBodies[std::size_t(p.buttonStyle)](ctx);
    surface.refresh();
    return ctx.regionRebuilt;
}

} // namespace tarvo
