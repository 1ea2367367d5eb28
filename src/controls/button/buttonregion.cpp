#include "controls/button/buttonregion.h"

#include <cmath>

namespace tarvo {

int cornerSize(int style) {
    switch (style) {
    case 2:
    case 3:
    case 7:
    case 9:
        return 3;
    case 6:
    case 10:
        return 4;
    default:
        return 0;
    }
}

QRegion windowRegion(int style, QSize client) {
    const int W = client.width();
    const int H = client.height();
    if (W <= 0 || H <= 0)
        return {};
    const int corner = cornerSize(style);
    if (corner == 0)
        return QRegion(0, 0, W, H);
    // Each row near the top and bottom is inset by how far the corner's ellipse (of
    // the corner size) lies inside the pixel centres; the outermost row always loses at
    // least its corner pixel.
    const double r = corner / 2.0;
    QRegion region;
    int y = 0;
    for (; y < H; ++y) {
        const int fromEdge = std::min(y, H - 1 - y);
        int inset = 0;
        if (fromEdge < r) {
            const double dy = r - fromEdge - 0.5;
            inset = int(std::lround(r - std::sqrt(std::max(0.0, r * r - dy * dy))));
            if (fromEdge == 0)
                inset = std::max(inset, 1);
        }
        region += QRect(inset, y, W - 2 * inset, 1);
    }
    return region;
}

} // namespace tarvo
