#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace tarvo::sandbox {

// Hard limits for a helper process, enforced by the system: past one of them the helper
// is ended, whatever it is doing.
struct HelperLimits {
    int cpuSeconds;
    qint64 memoryBytes; // 0: none
};

// Starts program in process, already under limits when its first instruction runs. The
// helper also ends with process (and with this program), so none outlives the navigation
// that started it. A helper that cannot be held to its limits does not run: it ends
// before it runs anything with HelperEnd::NotConfined (Linux), or is not started at all
// and this returns false (Windows, whose job could not be made).
//
// What each system holds it to: Linux, CPU time and address space (rlimits), no core
// file, death with this program, only the environment the toolkit and fontconfig read
// and no descriptor but the standard three. Windows, a job: CPU time and committed memory
// per process, no desktop, clipboard, global atoms, system settings or log-off, ended
// when the job closes, and no child process (the creation policy, or where the system
// lacks it an active-process limit of one).
bool startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits);

} // namespace tarvo::sandbox
