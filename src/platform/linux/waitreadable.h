#pragma once

#include <chrono>
#include <optional>

namespace tarvo::platform::linux_ {

// Lets window messages (timers, input, paints) run until fd is readable (data, or its
// end) or the deadline has passed; without an application object it just waits for fd.
// Returns whether fd is readable, that is whether a read would not block.
bool waitReadable(int fd,
                  std::optional<std::chrono::steady_clock::time_point> deadline = std::nullopt);

} // namespace tarvo::platform::linux_
