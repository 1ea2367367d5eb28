#include "platform/confinement.h"

#include <QProcess>

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

namespace tarvo::platform {

// Kernel limits, set in the child between fork and exec: CPU time (SIGXCPU at the soft
// limit, SIGKILL a second later), address space (an allocation past it fails, and the
// helper ends), no core file; and SIGKILL if this program dies first.
void startConfined(QProcess& process, const QString& program, const QStringList& arguments,
                   const HelperLimits& limits) {
    process.setChildProcessModifier([limits] {
        const rlim_t cpu = rlim_t(limits.cpuSeconds);
        const rlimit time{cpu, cpu + 1};
        setrlimit(RLIMIT_CPU, &time);
        if (limits.memoryBytes > 0) {
            const rlimit memory{rlim_t(limits.memoryBytes), rlim_t(limits.memoryBytes)};
            setrlimit(RLIMIT_AS, &memory);
        }
        const rlimit core{0, 0};
        setrlimit(RLIMIT_CORE, &core);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    // Address space is what the kernel limits; glibc reserves 64 MiB of it for each
    // thread's arena, which a few threads would spend on nothing.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("2"));
    process.setProcessEnvironment(environment);
    process.start(program, arguments, QIODevice::ReadOnly);
}

} // namespace tarvo::platform
