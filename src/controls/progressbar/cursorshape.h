#pragma once

#include <Qt>

#include <optional>

namespace tarvo {

// The cursor of a MousePointer number (0 default, 1 arrow, 2 cross, ... 15 size all);
// nothing for 0, for 99 (the custom MouseIcon) and for numbers without a shape.
std::optional<Qt::CursorShape> cursorShape(int mousePointer);

inline constexpr int MousePointerCustom = 99;

} // namespace tarvo
