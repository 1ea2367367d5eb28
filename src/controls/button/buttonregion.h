#pragma once

#include <QRegion>
#include <QSize>

namespace tarvo {

// The window region of a style: the client rectangle, or for the rounded styles a
// rounded rectangle of the style's corner size (3 or 4) cut from it.
QRegion windowRegion(int style, QSize client);
// The corner size of a style; 0 for the rectangular ones.
int cornerSize(int style);

} // namespace tarvo
