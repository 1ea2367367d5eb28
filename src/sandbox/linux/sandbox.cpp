#include "sandbox/sandbox.h"

#include "sandbox/exitcodes.h"
#include "sandbox/linux/broker.h"
#include "sandbox/linux/fontroot.h"
#include "sandbox/linux/landlock.h"
#include "sandbox/linux/syscallfilter.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace tarvo::sandbox {
namespace {

void addAll(QStringList& paths, FcStrList* list) {
    while (const FcChar8* path = FcStrListNext(list))
        paths << QFile::decodeName(reinterpret_cast<const char*>(path));
    FcStrListDone(list);
}

// What fontconfig may still open: its font directories, caches and configuration, each
// directory once (one below another is covered by it).
QStringList fontPaths() {
    QStringList paths;
    FcConfig* config = FcConfigGetCurrent();
    addAll(paths, FcConfigGetFontDirs(config));
    addAll(paths, FcConfigGetCacheDirs(config));
    addAll(paths, FcConfigGetConfigFiles(config));
    for (QString& path : paths)
        path = QDir::cleanPath(path);
    std::sort(paths.begin(), paths.end());
    QStringList covering;
    for (const QString& path : std::as_const(paths)) {
        if (covering.isEmpty() ||
            (path != covering.last() && !path.startsWith(covering.last() + QLatin1Char('/'))))
            covering << path;
    }
    return covering;
}

// Landlock and no new privileges hold for the thread that asks and the threads it starts
// later, not for threads already running: the sandbox is only whole in a process that
// has one thread.
bool hasOneThread() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("Threads:"))
            return line.mid(8).trimmed() == "1";
    }
    return false;
}

QString failure(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

Sandbox refused(int exitCode, const QString& why) {
    return {{}, exitCode, why};
}

} // namespace

// In this order: the broker while the helper may still fork, then no new privileges
// (which Landlock and an unprivileged filter need), Landlock while its calls are still
// allowed or, without it, the namespace that holds only the fonts; the filter last.
Sandbox enterSandbox(const QUrl& origin, int connections) {
    if (!hasOneThread())
        return refused(NoSandboxExit,
                       QStringLiteral("threads already running would stay outside the sandbox"));
    const QStringList readable = fontPaths();
    if (::chdir("/") != 0)
        return refused(NoSandboxExit, failure("working directory"));
    Sandbox sandbox;
    if (const QString why = startBroker(origin, connections, sandbox.sockets); !why.isEmpty())
        return refused(NoSandboxExit, why);
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return refused(NoSandboxExit, failure("no new privileges"));
    const LandlockOutcome landlock = restrictFilesNetworkAndSignals(readable);
    if (!landlock.error.isEmpty())
        return refused(NoSandboxExit, landlock.error);
    // Without Landlock the filter alone would leave every file readable: the fonts are
    // all there is to see, or the helper does not run.
    if (landlock.abi == 0) {
        if (const QString why = enterFontOnlyRoot(readable); !why.isEmpty())
            return refused(CannotConfineExit, QStringLiteral("no Landlock, and ") + why);
    }
    if (const QString why = loadHelperFilter(); !why.isEmpty())
        return refused(NoSandboxExit, why);
    return sandbox;
}

} // namespace tarvo::sandbox
