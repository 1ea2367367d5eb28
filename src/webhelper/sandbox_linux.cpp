#include "webhelper/sandbox.h"

#include "webhelper/broker_linux.h"
#include "webhelper/landlock_linux.h"
#include "webhelper/syscallfilter_linux.h"

#include <QDir>
#include <QFile>
#include <QTcpSocket>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace tarvo::webhelper {
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

} // namespace

// In this order: the broker while the helper may still fork, then no new privileges
// (which Landlock and an unprivileged filter need), Landlock while its calls are still
// allowed, the system call filter last.
QString enterSandbox(const QUrl& origin) {
    if (!hasOneThread())
        return QStringLiteral("threads already running would stay outside the sandbox");
    const QStringList readable = fontPaths();
    if (::chdir("/") != 0)
        return failure("working directory");
    if (const QString why = startBroker(origin); !why.isEmpty())
        return why;
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return failure("no new privileges");
    const LandlockOutcome landlock = restrictFileSystem(readable);
    if (!landlock.error.isEmpty())
        return landlock.error;
    if (landlock.abi == 0)
        std::fputs("tarvo-web: this kernel offers no Landlock: the page helper can still read "
                   "the user's files (it cannot write them, start programs or connect)\n",
                   stderr);
    return loadHelperFilter();
}

QTcpSocket* newSocket(QObject* parent) {
    if (QTcpSocket* brokered = newBrokeredSocket(parent))
        return brokered;
    return new QTcpSocket(parent);
}

} // namespace tarvo::webhelper
