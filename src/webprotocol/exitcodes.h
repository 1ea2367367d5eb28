#pragma once

namespace tarvo::webprotocol {

// How the helper ends when it has no page to send; the window names the reason on its
// error page.
enum HelperExit : int {
    // It could not drop its rights before reading the page, and never runs with them.
    // Not 3: that is how abort() ends a program on Windows, which the window reads as a
    // limit reached.
    NoSandboxExit = 5,
    // Memory ran out under its address-space limit: the page went past the memory limit.
    OutOfMemoryExit = 4,
};

} // namespace tarvo::webprotocol
