#include "sandbox/confinement.h"

#include "sandbox/ending.h"
#include "sandbox/exitcodes.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace tarvo::sandbox {
namespace {

// A job with the helper's limits (user CPU time and committed memory per process, the
// helper killed when the job closes, no error box for an unhandled exception) and the
// process-creation attribute that makes a new process a member from its start. For the
// page sandbox, the job also keeps the helper from the desktop: no other desktop, no
// clipboard, an atom table of its own, no system parameters, display settings or log-off.
// (Other processes' windows stay usable: the helper's own platform plugin asks for the
// screen's.) Nor can the helper start a program: the child-process policy where the
// system has it (Windows 10 1709 on), else the job's limit of one active process.
class Job final {
public:
    explicit Job(const HelperLimits& limits)
        : m_handle(::CreateJobObjectW(nullptr, nullptr)) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION info{};
        info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_TIME |
                                                JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                                JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
        JOBOBJECT_BASIC_UI_RESTRICTIONS ui{};
        ui.UIRestrictionsClass =
            JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_READCLIPBOARD |
            JOB_OBJECT_UILIMIT_WRITECLIPBOARD | JOB_OBJECT_UILIMIT_GLOBALATOMS |
            JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
            JOB_OBJECT_UILIMIT_EXITWINDOWS;
        if (limits.memoryBytes > 0)
            info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_PROCESS_MEMORY;
        info.BasicLimitInformation.PerProcessUserTimeLimit.QuadPart =
            LONGLONG(limits.cpuSeconds) * 10'000'000; // in 100 ns
        info.ProcessMemoryLimit = SIZE_T(limits.memoryBytes);
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 2, 0, &size);
        m_attributes.resize(size);
        m_listMade = m_handle && ::InitializeProcThreadAttributeList(list(), 2, 0, &size);
        const bool childPolicy =
            m_listMade &&
            ::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_CHILD_PROCESS_POLICY,
                                        &m_childPolicy, sizeof m_childPolicy, nullptr, nullptr);
        if (!childPolicy) {
            info.BasicLimitInformation.LimitFlags |= JOB_OBJECT_LIMIT_ACTIVE_PROCESS;
            info.BasicLimitInformation.ActiveProcessLimit = 1;
        }
        m_ready =
            m_listMade &&
            ::SetInformationJobObject(m_handle, JobObjectExtendedLimitInformation, &info,
                                      sizeof info) &&
            ::SetInformationJobObject(m_handle, JobObjectBasicUIRestrictions, &ui, sizeof ui) &&
            ::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_JOB_LIST, &m_handle,
                                        sizeof m_handle, nullptr, nullptr);
    }
    ~Job() {
        if (m_listMade)
            ::DeleteProcThreadAttributeList(list());
        if (m_handle)
            ::CloseHandle(m_handle);
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Whether the helper can be held to its limits; one that cannot is not started.
    bool ready() const { return m_ready; }

    // Has the process created inside the job.
    void enter(QProcess::CreateProcessArguments* args) {
        m_startup = STARTUPINFOEXW{};
        m_startup.StartupInfo = *args->startupInfo;
        m_startup.StartupInfo.cb = sizeof m_startup;
        m_startup.lpAttributeList = list();
        args->startupInfo = &m_startup.StartupInfo;
        args->flags |= EXTENDED_STARTUPINFO_PRESENT;
    }

private:
    LPPROC_THREAD_ATTRIBUTE_LIST list() {
        return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_attributes.data());
    }

    HANDLE m_handle;
    DWORD m_childPolicy = PROCESS_CREATION_CHILD_PROCESS_RESTRICTED;
    std::vector<char> m_attributes;
    STARTUPINFOEXW m_startup{};
    bool m_listMade = false;
    bool m_ready = false;
};

} // namespace

// The helper is created inside its job, so it never runs a moment unconfined, and nothing
// here waits for it to start. The job lives as long as process keeps this start's
// modifier: closing it (with the QProcess, or this program's end) ends the helper.
bool startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits) {
    auto job = std::make_shared<Job>(limits);
    if (!job->ready())
        return false;
    process.setCreateProcessArgumentsModifier(
        [job](QProcess::CreateProcessArguments* args) { job->enter(args); });
    process.start(program, arguments, QIODevice::ReadOnly);
    return true;
}

// Qt reports the exit codes of exceptions (0x8000'0000 to 0xCFFF'FFFF: an access
// violation, a stack that could not grow, the heap's out-of-memory exception) as a crash.
// A failed allocation under the job's memory limit ends the helper with its own code. A
// process ended by another (TerminateProcess) exits with whatever code it was given, and
// cannot be told from one that ended early.
HelperEnd helperEnd(QProcess::ExitStatus status, int exitCode) {
    switch (unsigned(exitCode)) {
    case TimeLimitExit:
        return HelperEnd::CpuTimeLimit;
    case OutOfMemoryExit:
    case NoMemoryException:
    case CommitLimitException:
        return HelperEnd::MemoryLimit;
    case NoSandboxExit:
        return HelperEnd::NoSandbox;
    case CannotConfineExit:
        return HelperEnd::CannotConfine;
    case AbortExit:
        return HelperEnd::Crashed;
    default:
        return status == QProcess::CrashExit ? HelperEnd::Crashed : HelperEnd::EndedEarly;
    }
}

} // namespace tarvo::sandbox
