#pragma once

#include <windows.h>

#include <chrono>
#include <optional>

namespace tarvo::platform::win {

// Lets window messages (timers, input, paints) run until handle is signalled or the
// deadline has passed; without an application object it just waits for handle.
// Returns whether handle is signalled.
bool waitSignalled(HANDLE handle,
                   std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

} // namespace tarvo::platform::win
