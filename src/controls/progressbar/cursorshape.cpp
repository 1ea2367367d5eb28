#include "controls/progressbar/cursorshape.h"

#include <array>

namespace tarvo {

std::optional<Qt::CursorShape> cursorShape(int mousePointer) {
    static constexpr std::array<Qt::CursorShape, 16> shapes = {
        Qt::ArrowCursor,     // 0 default (not applied)
        Qt::ArrowCursor,     // 1 arrow
        Qt::CrossCursor,     // 2 cross
        Qt::IBeamCursor,     // 3 I-beam
        Qt::ArrowCursor,     // 4 icon
        Qt::SizeAllCursor,   // 5 size
        Qt::SizeBDiagCursor, // 6 size NE-SW
        Qt::SizeVerCursor,   // 7 size N-S
        Qt::SizeFDiagCursor, // 8 size NW-SE
        Qt::SizeHorCursor,   // 9 size W-E
        Qt::UpArrowCursor,   // 10 up arrow
        Qt::WaitCursor,      // 11 hourglass
        Qt::ForbiddenCursor, // 12 no drop
        Qt::BusyCursor,      // 13 arrow and hourglass
        Qt::WhatsThisCursor, // 14 arrow and question mark
        Qt::SizeAllCursor,   // 15 size all
    };
    if (mousePointer <= 0 || mousePointer >= int(shapes.size()))
        return std::nullopt;
    return shapes[mousePointer];
}

} // namespace tarvo
