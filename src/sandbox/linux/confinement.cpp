#include "sandbox/confinement.h"

#include "sandbox/ending.h"
#include "sandbox/exitcodes.h"

#include <csignal>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tarvo::sandbox {

namespace {

// The page sandbox's share, set before the helper runs: nothing of this program's
// environment but what the toolkit, its fonts and the sanitizers read (no tokens, no
// session addresses), and no descriptor but the three standard ones.
QProcessEnvironment helperEnvironment() {
    static const char* const kept[] = {
        "HOME",
        "LANG",
        "LC_ALL",
        "LC_CTYPE",
        "LD_LIBRARY_PATH",
        "QT_PLUGIN_PATH",
        "QT_QPA_FONTDIR",
        "FONTCONFIG_FILE",
        "FONTCONFIG_PATH",
        "FONTCONFIG_SYSROOT",
        "XDG_CACHE_HOME",
        "XDG_CONFIG_HOME",
        "XDG_CONFIG_DIRS",
        "XDG_DATA_HOME",
        "XDG_DATA_DIRS",
        "ASAN_OPTIONS",
        "LSAN_OPTIONS",
        "UBSAN_OPTIONS",
    };
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    QProcessEnvironment environment;
    for (const char* name : kept) {
        if (system.contains(QLatin1String(name)))
            environment.insert(QLatin1String(name), system.value(QLatin1String(name)));
    }
    return environment;
}

} // namespace

// Kernel limits, set in the child between fork and exec: CPU time (SIGXCPU at the soft
// limit, SIGKILL a second later), address space (an allocation past it fails, and the
// helper ends), no core file; and SIGKILL if this program dies first. A child that cannot
// be held to them ends there, before exec.
bool startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits) {
    process.setChildProcessModifier([limits] {
        const rlim_t cpu = rlim_t(limits.cpuSeconds);
        const rlimit time{cpu, cpu + 1};
        const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
        const rlimit core{0, 0};
        const bool held = setrlimit(RLIMIT_CPU, &time) == 0 &&
                          (limits.memoryBytes <= 0 || setrlimit(RLIMIT_AS, &memory) == 0) &&
                          setrlimit(RLIMIT_CORE, &core) == 0 &&
                          prctl(PR_SET_PDEATHSIG, SIGKILL) == 0;
        if (!held)
            _exit(NotConfinedExit);
        close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    });
    process.setWorkingDirectory(QStringLiteral("/"));
    // Address space is what the kernel limits; glibc reserves 64 MiB of it for each
    // thread's arena, which a few threads would spend on nothing.
    QProcessEnvironment environment = helperEnvironment();
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("2"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments, QIODevice::ReadOnly);
    return true;
}

// The CPU-time limit ends the helper with SIGXCPU (and SIGKILL a second later, should it
// go on); an allocation past the address space ends it with its own code, or as a fault
// in code that does not check. The system call filter ends it with SIGSYS. Any other
// signal that ends it is a fault (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP) or
// another process's (SIGKILL, SIGTERM, SIGINT, SIGHUP). For a process ended by a signal,
// QProcess gives the signal as its exit code.
HelperEnd helperEnd(QProcess::ExitStatus status, int exitCode) {
    if (status == QProcess::CrashExit) {
        switch (exitCode) {
        case SIGSYS:
            return HelperEnd::StoppedBySandbox;
        case SIGXCPU:
            return HelperEnd::CpuTimeLimit;
        case SIGKILL:
        case SIGTERM:
        case SIGINT:
        case SIGHUP:
            return HelperEnd::KilledFromOutside;
        default:
            return HelperEnd::Crashed;
        }
    }
    switch (exitCode) {
    case OutOfMemoryExit:
        return HelperEnd::MemoryLimit;
    case NoSandboxExit:
        return HelperEnd::NoSandbox;
    case CannotConfineExit:
        return HelperEnd::CannotConfine;
    case NotConfinedExit:
        return HelperEnd::NotConfined;
    default:
        return HelperEnd::EndedEarly;
    }
}

} // namespace tarvo::sandbox
