#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"
#include "runtime/numbers.h"

namespace tarvo {

using forms::OleColor;

void drawRoundedLarge(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    const OleColor buttonText = TranslateColor(forms::syscolour::ButtonText);
    // This style owns the caption colour: white on the pressed body, button text otherwise.
    c.props.foreColor = c.visual() == StateDown ? White : buttonText;
    if (c.isSet() && c.state.mouseButtonDown)
        c.state.visualState = StateDown;
    if (c.isSet() && c.visual() != StateDown) {
        c.fillBox(0xFEFEFE, QRect(0, 0, W, H));
        c.props.foreColor = buttonText;
        c.drawContent();
        c.frame(0, 0, W, H, 0xAF987A);
        c.dots(c.S(0xC1B3A0, -0.2f));
        if (c.visual() == StateHot) {
            c.line(W - 2, 2, W - 2, H - 2, 0xEDF0F2);
            c.line(2, H - 2, W - 2, H - 2, 0xD8DEE4);
            c.line(1, H - 3, W - 1, H - 3, 0xE8ECEF);
            c.line(1, H - 4, W - 1, H - 4, 0xF8F9FA);
        }
        return;
    }
    switch (c.visual()) {
    case StateHot:
        c.gradV(0, 0, W, c.half(), 0xFDFEFE, 0xEEF4F4);
        c.gradV(0, c.half(), W, c.half(), 0xEEF4F4, 0xEAF1F1);
        c.drawContent();
        c.line(W - 2, 2, W - 2, H - 2, 0xE0E7EA);
        c.line(W - 3, 2, W - 3, H - 2, 0xEAF0F0);
        c.line(0, H - 4, W, H - 4, 0xE5EDEE);
        c.line(0, H - 3, W, H - 3, 0xD6E1E4);
        c.line(0, H - 2, W, H - 2, 0xC6D2D7);
        c.frame(0, 0, W, H, 0xC3CECE);
        c.dots(c.S(0xC9D4D4, -0.05f));
        break;
    case StateDown:
        c.fill(0xDDE4E5);
        c.drawContent();
        c.line(1, 1, W - 2, 1, c.S(0xD1DADC, -0.02f));
        c.line(1, 2, W - 2, 2, c.S(0xDAE1E3, -0.02f));
        c.line(1, H - 3, W - 2, H - 3, c.S(0xDEE5E6, 0.02f));
        c.line(1, H - 2, W - 2, H - 2, c.S(0xE5EAEB, 0.02f));
        c.frame(0, 0, W, H, 0x929D9D);
        c.dots(c.S(0xABB4B5, -0.2f));
        break;
    default:
        c.region();
        c.fill(B);
        c.drawContent();
        break;
    }
}

void drawRoundedLight(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    if (!c.enabled()) {
        c.fill(B);
        c.drawContent();
        c.dots(B);
        return;
    }
    switch (c.visual()) {
    case StateHot:
        c.gradV(1, 1, W - 2, H - 2, 0xFDF9F1, 0xF8ECD0);
        c.gradV(1, runtime::toInt32(H / 1.7), W - 2, H - 2, 0xF8ECD0, 0xF8ECD0);
        break;
    case StateDown:
        c.gradV(1, 1, W - 2, H - 2, 0xF1DEB0, 0xF9F1DB);
        break;
    default:
        c.region();
        c.fill(B);
        c.drawContent();
        return;
    }
    c.drawContent();
    c.frame(0, 0, W, H, 0xCA9E61);
    c.frame(1, 1, W - 2, H - 2, White);
    c.dots(c.S(0xCA9E61, 0.3f));
}

void drawRoundedSoft(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    const int half = c.half();
    if (c.enabled() && c.visual() == StateDown) {
        c.gradV(0, 0, W, half, White, c.S(B, -0.1f));
        c.gradV(0, half, W, H, c.S(B, -0.1f), c.S(B, -0.05f));
        c.drawContent();
        c.frame(1, 1, W - 2, H, White);
        c.frame(0, 0, W, H, c.S(B, -0.23f));
        c.dots(c.S(B, -0.1f));
        c.line(2, H - 1, W - 2, H - 1, c.S(B, -0.4f));
    } else {
        if (c.visual() == StateNormal)
            c.region();
        c.gradV(0, 0, W, half, White, B);
        c.gradV(0, half, W, H, B, B);
        c.drawContent();
        c.frame(1, 1, W - 2, H, White); // its bottom edge falls outside the control
        c.frame(0, 0, W, H, c.S(B, -0.2f));
        c.line(2, H - 1, W - 2, H - 1, c.S(B, -0.25f));
    }
    c.dots(c.S(B, 0.05f));
    if (c.state.parentActive && c.props.showFocusRect && c.focusOrDefault())
        c.focusRect(3, 3, W - 3, H - 3);
}

} // namespace tarvo
