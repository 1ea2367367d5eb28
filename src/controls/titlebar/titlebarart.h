#pragma once

#include "controls/titlebar/titlebarmodel.h"
#include "forms/picture.h"

#include <array>

namespace tarvo {

// The pictures of the twelve parts, shared by every title bar.
struct TitleBarArt {
    std::array<forms::Picture, TitlePartCount> pictures;

    const forms::Picture& operator[](TitlePart part) const { return pictures[std::size_t(part)]; }

    // Tarvo's own bitmaps, compiled in; loaded once.
    static const TitleBarArt& standard();
};

} // namespace tarvo
