#include "controls/button/buttoncolour.h"

#include "runtime/numbers.h"

#include <algorithm>
#include <array>

namespace tarvo {

using forms::OleColor;

namespace {

// System colour indices the palette knows (0 scroll bar ... 30 menu bar).
constexpr quint32 SystemColourCount = 31;

int channel(OleColor colour, int shift) {
    return int((colour >> shift) & 0xFF);
}

} // namespace

OleColor TranslateColor(OleColor colour) {
    if (!forms::isSystemColour(colour))
        return (colour & 0xFF000000u) == 0 ? colour : 0xFFFFFFFFu;
    if ((colour & 0x7FFFFFFFu) >= SystemColourCount)
        return 0xFFFFFFFFu;
    return forms::fromQColor(forms::toQColor(colour));
}

OleColor ShiftColor(OleColor colour, float amount) {
    // The amount is a single: the product is formed in single precision, as stored.
    const int delta = runtime::toInt32(double(amount * 255.0f));
    const auto shifted = [&](int shift) {
        const int value = channel(colour, shift) + delta;
        return amount > 0 ? std::min(value, 255) : std::max(value, 0);
    };
    return forms::rgb(shifted(0), shifted(8), shifted(16));
}

OleColor MixColor(OleColor colour1, OleColor colour2) {
    const auto mean = [&](int shift) {
        return int(runtime::toInt32((channel(colour1, shift) + channel(colour2, shift)) / 2.0));
    };
    return forms::rgb(mean(0), mean(8), mean(16));
}

OleColor schemeBackColor(int style, int scheme, OleColor current) {
    struct Sets {
        int style;
        std::array<OleColor, 3> colours;
    };
    static const std::array<Sets, 5> table = {{
        {2, {0xE7EBEC, 0xDBEEF3, 0xFCF1F0}},
        {3, {0xFDECE0, 0xDEEDE8, ShiftColor(0xD4D4D4, 0.06f)}},
        {5, {0xFCE1CA, 0xBAD6D4, ShiftColor(0xBA9EA0, 0.15f)}},
        {8, {0xFFD1AD, 0xBAD6D4, 0xE3DFE0}},
        {9, {0xFFD1AD, 0xBAD6D4, 0xE1D6D5}},
    }};
    const int row = style == 10 ? 8 : style;
    for (const Sets& sets : table) {
        if (sets.style != row)
            continue;
        if (scheme < 0 || scheme > 2)
            return current;
        return sets.colours[std::size_t(scheme)];
    }
    return TranslateColor(forms::syscolour::ButtonFace);
}

} // namespace tarvo
