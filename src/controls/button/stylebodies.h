#pragma once

namespace tarvo {

struct StyleContext;

// The bodies of the fourteen styles; each draws the button for the current state and
// calls DrawContent at its point.
void drawClassic(StyleContext& c);         // 0 Standard, 1 Flat, 11 HoverEdge, 12 FlatToolbar
void drawRoundedGradient(StyleContext& c); // 2
void drawSideShaded(StyleContext& c);      // 3
void drawHighlight(StyleContext& c);       // 4
void drawHighlightWarm(StyleContext& c);   // 5
void drawRoundedLarge(StyleContext& c);    // 6
void drawRoundedLight(StyleContext& c);    // 7
void drawHoverWarm(StyleContext& c);       // 8
void drawRoundedSoft(StyleContext& c);     // 9
void drawSplitGradient(StyleContext& c);   // 10
void drawThemed(StyleContext& c);          // 13

// Whether the application draws with a widget style (it is asked once).
bool applicationThemed();

} // namespace tarvo
