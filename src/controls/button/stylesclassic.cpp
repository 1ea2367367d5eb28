#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"

namespace tarvo {

namespace {

constexpr forms::OleColor AppWorkspace = 0x8000000C;

forms::OleColor sys(forms::OleColor colour) {
    return TranslateColor(colour);
}

} // namespace

void drawClassic(StyleContext& c) {
    const int style = c.props.buttonStyle;
    const QRect r = c.buttonRect();
    const int W = c.W;
    const int H = c.H;
    if (!c.enabled()) {
        if (style == StyleStandard)
            buttondraw::RaisedEdge(c.image, r);
        else if (style == StyleFlat)
            buttondraw::ThinRaisedEdge(c.image, r);
        c.drawContent();
        return;
    }
    if (c.isSet()) {
        c.fill(c.S(c.B, 0.02f));
        c.drawContent();
        if (style == StyleFlatToolbar)
            return;
        buttondraw::SunkenEdge(c.image, r);
        if (c.props.showFocusRect && c.state.hasFocus && style == StyleStandard)
            c.frame(4, 4, W - 7, H - 7, sys(AppWorkspace));
        return;
    }
    if (c.visual() == StateNormal)
        c.region();
    c.fill(c.B);
    c.drawContent();
    switch (c.visual()) {
    case StateNormal:
        if (style == StyleStandard)
            buttondraw::RaisedEdge(c.image, r);
        else if (style == StyleFlat)
            buttondraw::ThinRaisedEdge(c.image, r);
        break;
    case StateHot:
        if (style == StyleFlat || style == StyleFlatToolbar)
            buttondraw::ThinRaisedEdge(c.image, r);
        else
            buttondraw::RaisedEdge(c.image, r);
        break;
    case StateDown:
        if (style == StyleStandard) {
            c.frame(1, 1, W - 2, H - 2, 0x99A8AC);
            c.frame(0, 0, W, H, Black);
        } else if (style == StyleHoverEdge) {
            buttondraw::SunkenEdge(c.image, r);
        } else {
            c.frame(0, 0, W, H, White);
            c.frame(0, 0, W + 1, H + 1, sys(forms::syscolour::GrayText));
        }
        break;
    default:
        break;
    }
    if (!c.focusOrDefault())
        return;
    if (c.state.userMode && c.props.showFocusRect) {
        const int inset = style == StyleStandard || style == StyleHoverEdge ? 4 : 3;
        if (c.state.parentActive)
            c.focusRect(inset, inset, W - inset, H - inset);
    }
    if (style == StyleStandard && c.visual() != StateDown) {
        buttondraw::RaisedEdge(c.image, QRect(0, 0, W - 1, H - 1));
        c.frame(0, 0, W - 1, H - 1, sys(AppWorkspace));
        c.frame(0, 0, W, H, Black);
    }
}

void drawHighlight(StyleContext& c) {
    forms::OleColor F = c.B;
    forms::OleColor C = c.S(c.B, -0.12f);
    switch (c.props.colorScheme) {
    case 0:
        F = 0xEED2C1;
        C = 0xC56A31;
        break;
    case 1:
        F = 0xBAD6D4;
        C = 0x70A093;
        break;
    case 2:
        F = 0xE3DFE0;
        C = 0xBFB4B2;
        break;
    default:
        break;
    }
    if (c.isSet()) {
        c.fill(c.S(F, -0.05f));
        if (c.state.mouseOver)
            c.fill(c.S(F, -0.01f));
        c.frame(0, 0, c.W, c.H, C);
        c.drawContent();
        return;
    }
    switch (c.visual()) {
    case StateHot:
        c.fill(c.S(F, 0.03f));
        break;
    case StateDown:
        c.fill(c.S(F, -0.08f));
        break;
    default:
        c.fill(c.B);
        break;
    }
    c.drawContent();
    if (c.visual() != StateNormal)
        c.frame(0, 0, c.W, c.H, C);
}

} // namespace tarvo
