#include "support/scratchnetns.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvo::testing {

QString enterNetns(const QString& netns) {
    const int nsFd =
        ::open(("/run/netns/" + netns.toLocal8Bit()).constData(), O_RDONLY | O_CLOEXEC);
    if (nsFd < 0 || ::setns(nsFd, CLONE_NEWNET) != 0) {
        const QString why = QStringLiteral("cannot enter the namespace: ") + strerror(errno);
        if (nsFd >= 0)
            ::close(nsFd);
        return why;
    }
    ::close(nsFd);
    return {};
}

namespace {

// Where each scratch namespace keeps its /etc files: outside /etc, which an overlay's
// layer may not lie inside of.
const QString etcRoot = QStringLiteral("/run/tarvo-netns/");

// The mount that puts the files of the first layer over /etc, for mount(8) and mount(2).
QByteArray overlayOptions(const QString& dir) {
    return "lowerdir=" + QFile::encodeName(dir) + ":/etc";
}

bool writeFile(const QString& path, const QByteArray& text, QString* why) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size())
        return true;
    *why = path + QStringLiteral(": ") + file.errorString();
    return false;
}

} // namespace

QString writeEtcFiles(const QString& dir) {
    QString why;
    if (!QDir().mkpath(dir))
        return QStringLiteral("cannot make ") + dir;
    if (writeFile(dir + QStringLiteral("/hosts"), "127.0.0.1\tlocalhost\n::1\tlocalhost\n", &why) &&
        writeFile(dir + QStringLiteral("/nsswitch.conf"), "hosts: files dns\n", &why) &&
        writeFile(dir + QStringLiteral("/machine-id"), "7a72766f7465737400000000000000aa\n", &why))
        return {};
    return why;
}

QString overlayEtc(const QString& dir) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tarvo-etc", "/etc", "overlay", 0, overlayOptions(dir).constData()) != 0)
        return QStringLiteral("cannot lay the test's /etc files over the machine's: ") +
               strerror(errno);
    return {};
}

bool runTool(const QString& program, const QStringList& args, QString* output,
             const QStringList& environment, int timeoutMs) {
    QProcess process;
    if (!environment.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const QString& entry : environment)
            env.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
        process.setProcessEnvironment(env);
    }
    process.start(program, args);
    if (!process.waitForStarted(timeoutMs)) {
        if (output)
            *output = process.errorString();
        return false;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    }
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (output) {
        *output = QString::fromUtf8(process.readAllStandardOutput());
        if (!ok)
            *output += QString::fromUtf8(process.readAllStandardError());
    }
    return ok;
}

QString ScratchNetns::unavailableReason() {
    if (::geteuid() != 0)
        return QStringLiteral("needs root to make network namespaces");
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
        return QStringLiteral("the ip tool (iproute2) is not installed");
    ScratchNetns probe(QStringLiteral("probe"));
    if (!probe.isValid())
        return QStringLiteral("cannot make a network namespace: ") + probe.lastError();
    return {};
}

// A test that died (killed, crashed, timed out) left its namespaces behind: the first
// namespace a test makes first removes those of tests whose process is gone. Every
// scratch namespace is named "tarvo-<tag>-<pid>", perhaps with "-<n>" after it.
static void removeNamespacesOfDeadTests() {
    static const QRegularExpression scratch(QStringLiteral("^tarvo-[a-z0-9]+-(\\d+)(-\\d+)?$"));
    const auto entries = [](const QString& dir) {
        return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    };
    // Also a configuration whose namespace is already gone.
    QStringList names = entries(QStringLiteral("/run/netns")) + entries(etcRoot) +
                        entries(QStringLiteral("/etc/netns"));
    names.removeDuplicates();
    for (const QString& name : names) {
        const auto match = scratch.match(name);
        if (!match.hasMatch() || QFileInfo::exists(QStringLiteral("/proc/") + match.captured(1)))
            continue;
        if (QFileInfo::exists(QStringLiteral("/run/netns/") + name))
            runTool(QStringLiteral("ip"), {"netns", "del", name});
        QDir(etcRoot + name).removeRecursively();
        QDir(QStringLiteral("/etc/netns/") + name).removeRecursively();
    }
}

ScratchNetns::ScratchNetns(const QString& tag) {
    static int counter = 0;
    if (counter == 0 && ::geteuid() == 0)
        removeNamespacesOfDeadTests();
    m_name = QStringLiteral("tarvo-%1-%2-%3")
                 .arg(tag)
                 .arg(QCoreApplication::applicationPid())
                 .arg(++counter);
    m_valid = runTool(QStringLiteral("ip"), {"netns", "add", m_name}, &m_lastError);
    if (m_valid) {
        m_lastError = writeEtcFiles(configDir());
        m_valid = m_lastError.isEmpty();
    }
}

ScratchNetns::~ScratchNetns() {
    if (!m_valid)
        return;
    runTool(QStringLiteral("ip"), {"netns", "del", m_name});
    QDir(configDir()).removeRecursively();
}

QString ScratchNetns::configDir() const {
    return etcRoot + m_name;
}

bool ScratchNetns::setNameServers(const QStringList& addresses, const QString& options) {
    if (!m_valid)
        return false;
    QByteArray text;
    for (const QString& address : addresses)
        text += "nameserver " + address.toLatin1() + '\n';
    if (!options.isEmpty())
        text += "options " + options.toLatin1() + '\n';
    return writeFile(configDir() + QStringLiteral("/resolv.conf"), text, &m_lastError);
}

// "ip netns exec" gives the program a mount namespace of its own; the overlay goes there,
// and the shell then makes way for the program.
QStringList ScratchNetns::exec(const QString& program, const QStringList& args) const {
    return QStringList{QStringLiteral("netns"),
                       QStringLiteral("exec"),
                       m_name,
                       QStringLiteral("sh"),
                       QStringLiteral("-c"),
                       QStringLiteral("mount -t overlay tarvo-etc -o \"$0\" /etc && exec \"$@\""),
                       QString::fromLocal8Bit(overlayOptions(configDir())),
                       program} +
           args;
}

bool ScratchNetns::ip(const QStringList& args) {
    return runTool(QStringLiteral("ip"), QStringList{"-n", m_name} + args, &m_lastError);
}

bool ScratchNetns::tc(const QStringList& args) {
    return runTool(QStringLiteral("tc"), QStringList{"-n", m_name} + args, &m_lastError);
}

} // namespace tarvo::testing
