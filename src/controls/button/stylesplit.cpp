#include "controls/button/stylebodies.h"
#include "controls/button/stylecontext.h"

#include <algorithm>
#include <array>

namespace tarvo {

namespace {

// The shift amounts of each state of the split gradient.
struct SplitAmounts {
    float fill;
    float topLight;
    float lowerStart;
    float lowerLight;
    float frame;
    float dots;
};

constexpr std::array<SplitAmounts, 3> byState = {{
    {-0.03f, 0.10f, -0.05f, 0.10f, -0.33f, -0.36f}, // Normal
    {-0.03f, 0.15f, -0.05f, 0.20f, -0.28f, -0.36f}, // Hot
    {-0.03f, 0.10f, -0.08f, 0.05f, -0.36f, -0.36f}, // Down
}};
constexpr SplitAmounts disabled = {0.0f, 0.05f, -0.02f, 0.08f, -0.20f, -0.23f};

} // namespace

void drawSplitGradient(StyleContext& c) {
    const int state = c.visual();
    const SplitAmounts& a = !c.enabled() ? disabled : byState[std::size_t(std::clamp(state, 0, 2))];
    const forms::OleColor B = c.B;
    if (state == StateNormal)
        c.region();
    c.fill(c.S(B, a.fill));
    c.gradV(0, 0, c.W, 5, c.S(c.Mix(B, White), a.topLight), B);
    // Row 5 keeps the fill; the lower gradient runs past the bottom edge and is cut there.
    c.gradV(0, 6, c.W, c.H - 1, c.S(B, a.lowerStart), c.Mix(White, c.S(B, a.lowerLight)));
    c.drawContent();
    c.frame(0, 0, c.W, c.H, c.S(B, a.frame));
    c.dots(c.S(B, a.dots));
}

} // namespace tarvo
