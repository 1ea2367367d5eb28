#include "platform/confinement.h"

#include <QObject>
#include <QProcess>

#include <windows.h>

namespace tarvo::platform {
namespace {

// The job the helper runs in; closing it (with the QProcess it belongs to) ends the helper.
class Job final : public QObject {
public:
    Job(HANDLE handle, QObject* parent)
        : QObject(parent)
        , m_handle(handle) {}
    ~Job() override { CloseHandle(m_handle); }

private:
    HANDLE m_handle;
};

} // namespace

// A job object: user CPU time and committed memory per process, the helper killed when
// the job closes. The helper is put in the job right after it is created: it reads
// nothing from the network before it has connected, so nothing hostile reaches it first.
void startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits) {
    process.start(program, arguments, QIODevice::ReadOnly);
    if (!process.waitForStarted())
        return;
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
    info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_TIME |
                                            JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                            JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (limits.memoryBytes > 0)
        info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
    info.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart =
        LONGLONG(limits.cpuSeconds) * 10'000'000; // in 100 ns
    info.ProcessMemoryLimit = SIZE_T(limits.memoryBytes);
    HANDLE child =
        OpenProcess(PROCESS_SET_QUOTA | PROCESS_TERMINATE, FALSE, DWORD(process.processId()));
    const bool confined =
        job && child &&
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &info, sizeof info) &&
        AssignProcessToJobObject(job, child);
    if (child)
        CloseHandle(child);
    if (!confined) {
        // A helper that cannot be held to its limits does not run.
        if (job)
            CloseHandle(job);
        process.kill();
        return;
    }
    new Job(job, &process);
}

} // namespace tarvo::platform
