#pragma once

#include "controls/titlebar/titlebarart.h"
#include "controls/titlebar/titlebarmodel.h"
#include "forms/colour.h"
#include "forms/surface.h"

namespace tarvo {

namespace titlebar {
// The frame along the host's left, bottom and right edges: red 152, green 92, blue 46.
inline constexpr forms::OleColor FrameColour = 0x2E5C98;
} // namespace titlebar

// Draws the strip: every part in stacking order, each picture cut to its place (the
// middle stretched to it), a button's retained look over its normal picture; then
// presents.
void paintTitleBar(const TitleBarModel& model, const TitleBarArt& art, forms::Surface& surface);

// Covers the destination with copies of the tile from 0, 0 up to and including its
// width and height, then presents. Fails (nothing drawn) for an empty tile.
void tileImage(forms::Surface& destination, const forms::Picture& tile);

// Draws the host's one-pixel frame along its left, bottom and right edges, from row 21
// down, with the surface's line rule (the end point is not drawn), then presents.
void drawHostFrame(forms::Surface& host);

} // namespace tarvo
