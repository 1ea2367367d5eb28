#pragma once

namespace tarvo::webprotocol {

// How the helper ends when it has no page to send; the window names the reason on its
// error page. None is 3, how abort() ends a program on Windows (a crash there).
enum HelperExit : int {
    // Memory ran out under its address-space limit: the page went past the memory limit.
    OutOfMemoryExit = 4,
    // It could not drop its rights before reading the page, and never runs with them.
    NoSandboxExit = 5,
    // The system offers no way to keep it from the user's files (no Landlock, no
    // namespace of its own): it does not read the page rather than read it unconfined.
    CannotConfineExit = 6,
};

} // namespace tarvo::webprotocol
