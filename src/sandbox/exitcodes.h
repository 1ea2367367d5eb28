#pragma once

namespace tarvo::sandbox {

// The one table of the exit codes a helper's end is told by (see ending.h).

// The helper's own, when it has no page to send. None is 3, how abort() ends a program on
// Windows (a crash there).
enum HelperExit : int {
    // Memory ran out under its address-space limit: the page went past the memory limit.
    OutOfMemoryExit = 4,
    // It could not drop its rights before reading the page, and never runs with them.
    NoSandboxExit = 5,
    // The system offers no way to keep it from the user's files (no Landlock, no
    // namespace of its own): it does not read the page rather than read it unconfined.
    CannotConfineExit = 6,
    // Linux: the child that was to become the helper could not be held to its limits, and
    // ended before it ran (no helper exits with it).
    NotConfinedExit = 121,
};

// Windows' own, for a process in the helper's job.
enum WindowsExit : unsigned {
    TimeLimitExit = 1816,             // ERROR_NOT_ENOUGH_QUOTA: the job's CPU-time limit
    AbortExit = 3,                    // abort(): a crash (an uncaught exception, say)
    NoMemoryException = 0xC0000017,   // STATUS_NO_MEMORY: the heap's out-of-memory exception
    CommitLimitException = 0xC000012D // STATUS_COMMITMENT_LIMIT: no memory to commit
};

} // namespace tarvo::sandbox
