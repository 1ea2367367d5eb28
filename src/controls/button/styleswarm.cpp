#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"
#include "runtime/numbers.h"

namespace tarvo {

using forms::OleColor;

void drawHighlightWarm(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    if (c.isSet()) {
        if (c.state.mouseOver)
            c.gradV(0, 0, W, H, 0x4E91FE, 0x8ED3FF);
        else
            c.gradV(0, 0, W, H, 0x8CD5FF, 0x55ADFF);
        c.drawContent();
        c.frame(0, 0, W, H, 0x800000);
        return;
    }
    switch (c.visual()) {
    case StateHot:
        c.gradV(0, 0, W, H, 0xCCF4FF, 0x91D0FF);
        break;
    case StateDown:
        c.gradV(0, 0, W, H, 0x4E91FE, 0x8ED3FF);
        break;
    default:
        c.region();
        c.gradV(0, 0, W, c.half(), c.Mix(White, c.S(B, 0.08f)), B);
        c.gradV(0, c.half(), W, runtime::toInt32(H / 2.0 + 1), B, c.S(B, -0.15f));
        break;
    }
    c.drawContent();
    if (c.visual() != StateNormal)
        c.frame(0, 0, W, H, 0x800000);
}

void drawHoverWarm(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    const int T = runtime::toInt32(H / 2.7);
    const int lowerHeight = runtime::toInt32(H - H / 2.7);
    const auto bands = [&](OleColor top1, OleColor top2, OleColor low1, OleColor low2) {
        c.gradV(0, 0, W, T, top1, top2);
        c.gradV(0, T, W, lowerHeight, low1, low2);
    };
    const auto frame = [&] { c.frame(0, 0, W, H, c.S(B, -0.34f)); };
    if (c.isSet()) {
        bands(0xA9D9FF, 0x6FC0FF, 0x3FABFF, 0x75E1FF);
        frame();
        if (c.state.mouseOver) {
            bands(0x58C1FF, 0x51AFFF, 0x468FFF, 0x5FD3FF);
            frame();
        }
        c.drawContent();
        return;
    }
    switch (c.visual()) {
    case StateHot:
        bands(0xE1FFFF, 0xACEAFF, 0x67D7FF, 0x99E4FF);
        break;
    case StateDown:
        bands(0x58C1FF, 0x51AFFF, 0x468FFF, 0x5FD3FF);
        break;
    default:
        c.fill(B);
        bands(c.Mix(c.S(B, 0.09f), White), c.Mix(c.S(B, 0.07f), B), B, c.S(B, 0.03f));
        break;
    }
    c.drawContent();
    frame();
}

} // namespace tarvo
