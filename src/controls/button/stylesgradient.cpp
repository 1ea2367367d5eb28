#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"
#include "runtime/numbers.h"

#include <array>

namespace tarvo {

namespace {

using forms::OleColor;
using Ring = std::array<OleColor, 8>;

int rounded(double value) {
    return runtime::toInt32(value);
}

// The eight lines of the rounded gradient's hot and focus rings.
void ring(StyleContext& c, const Ring& colours) {
    const int W = c.W;
    const int H = c.H;
    c.line(1, 2, W - 2, 2, colours[0]);
    c.line(1, 1, W - 2, 1, colours[1]);
    c.line(1, 1, 1, H - 2, colours[2]);
    c.line(W - 2, 2, W - 2, H - 2, colours[3]);
    c.line(2, 2, 2, H - 3, colours[4]);
    c.line(W - 3, 3, W - 3, H - 3, colours[5]);
    c.line(2, H - 3, W - 2, H - 3, colours[6]);
    c.line(2, H - 2, W - 2, H - 2, colours[7]);
}

constexpr Ring HotRing = {0x89D8FD, 0xCFF0FF, 0x49BDF9, 0x49BDF9,
                          0x7AD2FC, 0x7AD2FC, 0x30B3F8, 0x0097E5};
constexpr Ring FocusRing1 = {0x8FD1C2, 0x80CBB1, 0x68C8A0, 0x68C8A0,
                             0x68C8A0, 0x68C8A0, 0x68C8A0, 0x66A7A8};
constexpr Ring FocusRing2 = {0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E,
                             White,    White,    0xE4AD89, 0xEE8269};
constexpr Ring FocusRing0 = {0xF6D4BC, 0xFFE7CE, 0xE6AF8E, 0xE6AF8E,
                             0xF4D1B8, 0xF4D1B8, 0xE4AD89, 0xEE8269};

void roundedGradients(StyleContext& c) {
    const OleColor B = c.B;
    if (c.props.colorScheme == 2) {
        c.gradV(0, 0, c.W, c.half(), c.S(B, 0.22f), B);
        c.gradV(0, c.half(), c.W, c.half(), c.S(B, -0.01f), c.S(B, -0.15f));
    } else {
        c.gradV(0, 0, c.W, c.H, c.S(B, 0.07f), B);
        c.gradV(0, 0, c.W, 4, c.S(B, 0.1f), c.S(B, 0.08f));
    }
}

// The side bands of the shaded style: left and right, upper and lower, 5 pixels wide.
void sideBands(StyleContext& c, OleColor upperOut, OleColor upperIn, OleColor lowerOut,
               OleColor lowerIn) {
    const int W = c.W;
    const int upper = rounded(c.H / 2.0 - 2);
    const int lower = rounded(c.H - c.H / 2.0 - 1);
    c.gradH(1, 3, 5, upper, upperOut, upperIn);
    c.gradH(1, c.half(), 5, lower, lowerOut, lowerIn);
    c.gradH(W - 6, 3, 5, upper, upperIn, upperOut);
    c.gradH(W - 6, c.half(), 5, lower, lowerIn, lowerOut);
}

} // namespace

void drawRoundedGradient(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    const int scheme = c.props.colorScheme;
    if (!c.enabled()) {
        c.region();
        c.fill(c.Mix(B, c.S(B, 0.1f)));
        c.drawContent();
        c.frame(0, 0, W, H, c.S(B, -0.1f));
        c.dots(c.S(B, -0.1f));
        return;
    }
    switch (c.visual()) {
    case StateHot:
        roundedGradients(c);
        c.drawContent();
        ring(c, HotRing);
        break;
    case StateDown:
        if (scheme == 2) {
            c.gradV(0, 0, W, H - 6, c.S(B, -0.2f), c.S(B, 0.05f));
            c.gradV(0, H - 6, W, H - 1, c.S(B, 0.08f), White);
            c.drawContent();
            c.frame(1, 1, W - 2, H - 2, White);
        } else {
            c.fill(c.S(B, -0.05f));
            c.drawContent();
            c.line(1, 1, W - 2, 1, c.S(B, -0.16f));
            c.line(1, 2, W - 2, 2, c.S(B, -0.1f));
            c.line(1, H - 2, W - 2, H - 2, c.S(B, 0.01f));
            c.line(1, 1, 1, H - 2, c.S(B, -0.16f));
            c.line(2, 2, 2, H - 2, c.S(B, -0.1f));
            c.line(W - 2, 2, W - 2, H - 2, c.S(B, 0.04f));
        }
        break;
    default:
        c.region();
        roundedGradients(c);
        c.drawContent();
        if (scheme == 2) {
            c.line(W - 2, 2, W - 2, H - 2, White);
            c.line(1, 1, 1, H - 2, White);
        } else {
            c.line(1, H - 2, W - 2, H - 2, c.S(B, -0.09f));
            c.line(1, H - 3, W - 2, H - 3, c.S(B, -0.05f));
            c.line(1, H - 4, W - 2, H - 4, c.S(B, -0.01f));
            c.line(W - 2, 2, W - 2, H - 2, c.S(B, -0.08f));
            c.line(1, 1, 1, H - 2, c.Mix(White, c.S(B, -0.08f)));
        }
        break;
    }
    if (c.visual() == StateNormal && c.state.parentActive && c.focusOrDefault())
        ring(c, scheme == 1 ? FocusRing1 : scheme == 2 ? FocusRing2 : FocusRing0);
    if (c.state.parentActive && c.props.showFocusRect && c.focusOrDefault())
        c.focusRect(2, 2, W - 2, H - 2);
    const OleColor outer = scheme == 1 ? 0x066237 : 0x743C00;
    c.frame(0, 0, W, H, outer);
    c.dots(c.S(outer, 0.3f));
}

void drawSideShaded(StyleContext& c) {
    const int W = c.W;
    const int H = c.H;
    const OleColor B = c.B;
    const OleColor E = c.S(B, 0.05f);
    const int half = c.half();
    if (!c.enabled()) {
        c.region();
        c.fill(c.S(B, 0.03f));
        c.drawContent();
        c.frame(0, 0, W, H, c.S(B, -0.25f));
        c.frame(1, 1, W - 2, H - 2, c.S(B, 0.25f));
        c.dots(c.S(B, -0.03f));
        return;
    }
    switch (c.visual()) {
    case StateHot:
        c.gradV(1, 1, W - 2, half, 0xFFF7E4, 0xFFF3DA);
        c.gradV(1, half, W - 2, H - 2, 0xFFE9C1, 0xFDE1AE);
        sideBands(c, 0xFFEECD, 0xFFF7E4, 0xFAD68F, c.S(0xFDE1AC, 0.01f));
        c.drawContent();
        c.frame(0, 0, W, H, 0xA77532);
        c.frame(1, 1, W - 2, H - 2, White);
        break;
    case StateDown:
        c.gradV(1, 1, W - 1, half, 0xF6E4C2, 0xF6E4C2);
        c.gradV(1, half, W - 2, H - 2, 0xF0D29A, 0xF0D29A);
        c.frame(0, 0, W, H, 0x5C411D);
        c.line(1, 1, W - 1, 1, 0xB39C71);
        c.line(1, 2, W - 1, 2, 0xD6C6A9);
        c.line(1, 3, W - 1, 3, 0xECD9B9);
        c.line(1, 1, 1, rounded(H / 2.0 - 1), 0xCFB073);
        c.line(1, half, 1, rounded(H - H / 2.0 - 1), 0xC5912B);
        sideBands(c, c.S(0xE6C891, 0.02f), c.S(0xF6E4C2, -0.01f), c.S(0xDCAB4E, 0.02f),
                  c.S(0xF0D29A, -0.01f));
        c.drawContent();
        break;
    default:
        c.region();
        c.gradV(1, 1, W - 1, H, E, B);
        c.gradV(1, half, W - 2, H - 2, c.S(B, -0.02f), c.S(B, -0.15f));
        c.drawContent();
        c.frame(0, 0, W, H, 0x707070);
        c.frame(1, 1, W - 2, H - 2, White);
        break;
    }
    if (c.state.parentActive) {
        if (c.visual() == StateNormal && c.focusOrDefault()) {
            c.frame(0, 0, W, H, 0xA77532);
            c.frame(1, 1, W - 2, H - 2, 0xFBD848);
        }
        if (c.props.showFocusRect && c.state.hasFocus)
            c.focusRect(2, 2, W - 2, H - 2);
    }
    c.dots(0xBE965F);
}

} // namespace tarvo
