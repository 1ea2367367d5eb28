#include "sandbox/confinement.h"

#include <windows.h>

#include <memory>
#include <vector>

namespace tarvo::platform {
namespace {

// The exit code Windows gives a process that its job ends at the CPU time limit.
constexpr int TimeLimitExit = ERROR_NOT_ENOUGH_QUOTA; // 1816
// A failed allocation under the memory limit throws, and the uncaught exception ends the
// helper through abort(), which exits with 3.
constexpr int AbortExit = 3;

// A job with the helper's limits (user CPU time and committed memory per process, the
// helper killed when the job closes, no error box for an unhandled exception) and the
// process-creation attribute that makes a new process a member from its start. For the
// page sandbox, the job also keeps the helper from the desktop: no other desktop, no
// clipboard, an atom table of its own, no system parameters, display settings or log-off.
// (Other processes' windows stay usable: the helper's own platform plugin asks for the
// screen's.)
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
        m_listMade =
            m_handle &&
            ::SetInformationJobObject(m_handle, JobObjectExtendedLimitInformation, &info,
                                      sizeof info) &&
            ::SetInformationJobObject(m_handle, JobObjectBasicUIRestrictions, &ui, sizeof ui) &&
            ::InitializeProcThreadAttributeList(list(), 2, 0, &size);
        m_ready =
            m_listMade && ::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_JOB_LIST,
                                                      &m_handle, sizeof m_handle, nullptr, nullptr);
        // Nor can it start a program (Windows 10 1709 on; an older system goes without).
        if (m_ready)
            ::UpdateProcThreadAttribute(list(), 0, PROC_THREAD_ATTRIBUTE_CHILD_PROCESS_POLICY,
                                        &m_childPolicy, sizeof m_childPolicy, nullptr, nullptr);
    }
    ~Job() {
        if (m_listMade)
            ::DeleteProcThreadAttributeList(list());
        if (m_handle)
            ::CloseHandle(m_handle);
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Has the process created inside the job. A helper that cannot be held to its limits
    // is not created at all: its creation is made to fail, and it does not start.
    void enter(QProcess::CreateProcessArguments* args) {
        if (!m_ready) {
            args->applicationName = L"";
            return;
        }
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
void startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits) {
    auto job = std::make_shared<Job>(limits);
    process.setCreateProcessArgumentsModifier(
        [job](QProcess::CreateProcessArguments* args) { job->enter(args); });
    process.start(program, arguments, QIODevice::ReadOnly);
}

// Qt reports the exit codes of exceptions (0x8000'0000 to 0xCFFF'FFFF: an access
// violation, a stack that could not grow, the heap's out-of-memory exception) as a crash.
HelperEnd helperEnd(QProcess::ExitStatus status, int exitCode) {
    if (status == QProcess::CrashExit || exitCode == TimeLimitExit || exitCode == AbortExit)
        return HelperEnd::PastLimit;
    return HelperEnd::Finished;
}

} // namespace tarvo::platform
