#pragma once

#include <QProcess>
#include <QString>

namespace tarvo::sandbox {

// How a page's helper came to its end, when it ended without its page.
enum class HelperEnd {
    EndedEarly,        // it exited by itself without a page (or a reason of its own)
    Crashed,           // a fault: the page broke the helper
    CpuTimeLimit,      // the system ended it at its CPU-time limit
    MemoryLimit,       // an allocation past its memory limit failed
    Deadline,          // the window gave up on it at the page's deadline
    StoppedBySandbox,  // it tried something the sandbox forbids, and was ended
    NoSandbox,         // it could not enter its sandbox, and ended before the page
    CannotConfine,     // the system offers no sandbox that keeps it from the user's files
    NotConfined,       // its limits (Linux) or job (Windows) could not be set: it never ran
    KilledFromOutside, // another process ended it
    Missing,           // there is no helper program to start
};

// From the exit status and code the process reports, as this system gives them (in
// confinement.cpp of each system).
HelperEnd helperEnd(QProcess::ExitStatus status, int exitCode);

inline HelperEnd helperEnd(const QProcess& process) {
    return helperEnd(process.exitStatus(), process.exitCode());
}

// What the pane shows for each end, the same on every system.
QString endReason(HelperEnd end);

} // namespace tarvo::sandbox
