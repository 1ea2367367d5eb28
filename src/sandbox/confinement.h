#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tarvo::platform {

// Hard limits for a helper process, enforced by the system: past one of them the helper
// is ended, whatever it is doing.
struct HelperLimits {
    int cpuSeconds;
    qint64 memoryBytes; // 0: none
};

// Starts program in process, already under limits when its first instruction runs. The
// helper also ends with process (and with this program), so none outlives the navigation
// that started it. A helper that cannot be held to its limits does not run: it fails to
// start, or ends before it runs anything with HelperEnd::NotConfined.
void startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits);

// How a confined helper that ended came to its end.
enum class HelperEnd {
    Finished,    // it exited by itself
    PastLimit,   // the system ended it at its CPU time or memory limit
    NotConfined, // its limits could not be set, so it ended before it ran
    Forbidden,   // it tried something its sandbox forbids, and the system ended it
};

// From the exit status and code the process reports, as this system gives them.
HelperEnd helperEnd(QProcess::ExitStatus status, int exitCode);

inline HelperEnd helperEnd(const QProcess& process) {
    return helperEnd(process.exitStatus(), process.exitCode());
}

} // namespace tarvo::platform
