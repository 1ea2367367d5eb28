#include "sandbox/linux/landlock.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace tarvo::sandbox {
namespace {

// The kernel's Landlock interface, by value: the oldest supported system headers know
// only its first version.
constexpr quint64 FsFirst = (quint64(1) << 13) - 1; // execute .. make symbolic link
constexpr quint64 FsRefer = quint64(1) << 13;       // version 2
constexpr quint64 FsTruncate = quint64(1) << 14;    // version 3
constexpr quint64 FsIoctlDevice = quint64(1) << 15; // version 5
constexpr quint64 FsReadFile = quint64(1) << 2;
constexpr quint64 FsReadDir = quint64(1) << 3;
constexpr quint64 NetBindConnectTcp = 0x3; // version 4
constexpr quint64 NetConnectTcp = 0x2;
constexpr int RuleNetPort = 2;
constexpr quint64 ScopeUnixAbstractSignal = 0x3; // version 6

// A TCP port rule (version 4), as the kernel lays it out.
struct __attribute__((packed)) NetPortRule {
    quint64 allowedAccess;
    quint64 port;
};

// Set by tests alone (see capLandlockAbiForTests); -1: the kernel's own version.
int g_abiCap = -1;

// The ruleset's attributes as the newest kernels read them; an older one is given only
// the part it knows.
struct RulesetAttributes {
    quint64 handledAccessFs;
    quint64 handledAccessNet;
    quint64 scoped;
};

long createRuleset(const RulesetAttributes* attributes, std::size_t size, quint32 flags) {
    return syscall(SYS_landlock_create_ruleset, attributes, size, flags);
}

QString failure(const char* what) {
    return QStringLiteral("Landlock: %1: %2")
        .arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}

// Allows reading path (a directory and all below it, or one file) under ruleset.
bool allowReading(int ruleset, const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return true; // nothing there to read
    struct stat status {};
    landlock_path_beneath_attr rule{};
    rule.parent_fd = fd;
    rule.allowed_access = FsReadFile;
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode))
        rule.allowed_access |= FsReadDir;
    const long added =
        syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
    ::close(fd);
    return added == 0;
}

// The version the code works with: the kernel's, or less under a test's cap; 0 when the
// kernel has none (not built in, or turned off at boot).
int usableAbi() {
    const long abi = createRuleset(nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1)
        return 0;
    return g_abiCap >= 0 ? std::min(int(abi), g_abiCap) : int(abi);
}

// Everything version abi can restrict, each kind handled and so refused unless a rule
// allows it: the file system, TCP bind and connect, abstract sockets and signals.
std::size_t handledBy(int abi, RulesetAttributes& attributes) {
    attributes = {FsFirst, 0, 0};
    std::size_t size = sizeof attributes.handledAccessFs;
    if (abi >= 2)
        attributes.handledAccessFs |= FsRefer;
    if (abi >= 3)
        attributes.handledAccessFs |= FsTruncate;
    if (abi >= 4) {
        attributes.handledAccessNet = NetBindConnectTcp;
        size += sizeof attributes.handledAccessNet;
    }
    if (abi >= 5)
        attributes.handledAccessFs |= FsIoctlDevice;
    if (abi >= 6) {
        attributes.scoped = ScopeUnixAbstractSignal;
        size += sizeof attributes.scoped;
    }
    return size;
}

} // namespace

void capLandlockAbiForTests(int abi) {
    g_abiCap = abi;
}

int restrictBroker(quint16 port) {
    const int abi = usableAbi();
    if (abi == 0)
        return 0;
    RulesetAttributes attributes;
    const std::size_t size = handledBy(abi, attributes);
    const int ruleset = int(createRuleset(&attributes, size, 0));
    if (ruleset < 0)
        return -1;
    NetPortRule connect{NetConnectTcp, port};
    const bool restricted =
        (abi < 4 || syscall(SYS_landlock_add_rule, ruleset, RuleNetPort, &connect, 0) == 0) &&
        syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    ::close(ruleset);
    return restricted ? abi : -1;
}

LandlockOutcome restrictFilesNetworkAndSignals(const QStringList& readable) {
    LandlockOutcome outcome;
    const int abi = usableAbi();
    if (abi == 0)
        return outcome;
    outcome.abi = abi;

    RulesetAttributes attributes;
    const std::size_t size = handledBy(abi, attributes);
    const int ruleset = int(createRuleset(&attributes, size, 0));
    if (ruleset < 0) {
        outcome.error = failure("create a ruleset");
        return outcome;
    }
    for (const QString& path : readable) {
        if (!allowReading(ruleset, path)) {
            outcome.error = failure("allow reading");
            ::close(ruleset);
            return outcome;
        }
    }
    if (syscall(SYS_landlock_restrict_self, ruleset, 0) != 0)
        outcome.error = failure("restrict this process");
    ::close(ruleset);
    return outcome;
}

} // namespace tarvo::sandbox
