// The page helper's sandbox, entered by the probe through the helper's own function:
// whatever a broken helper tries beyond its page is refused, and a sandbox that cannot
// be set up ends it.
#include "sandbox/confinement.h"
#include "sandbox/exitcodes.h"
#include "support/httpserver.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <seccomp.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

struct Run {
    bool ended; // by a signal (the system call filter's answer)
    int code;
    QByteArray out;
    QByteArray err;
};

// Makes one system call fail for the probe and all it starts, as a kernel without it would.
void withoutCall(QProcess& process, int call) {
    process.setChildProcessModifier([call] {
        scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ALLOW);
        seccomp_rule_add(filter, SCMP_ACT_ERRNO(ENOSYS), call, 0);
        if (call == SCMP_SYS(seccomp)) // the older way in
            seccomp_rule_add(filter, SCMP_ACT_ERRNO(EINVAL), SCMP_SYS(prctl), 1,
                             SCMP_A0(SCMP_CMP_EQ, PR_SET_SECCOMP));
        prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0);
        seccomp_load(filter);
    });
}

// The probe, while this test's event loop serves the origin.
Run probe(QStringList arguments, quint16 origin, int missingCall = 0) {
    arguments << QString::number(origin);
    QProcess process;
    if (missingCall)
        withoutCall(process, missingCall);
    process.start(QStringLiteral(TARVO_SANDBOX_PROBE), arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 20000))
        process.kill();
    process.waitForFinished();
    return {process.exitStatus() == QProcess::CrashExit, process.exitCode(),
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// The Landlock versions the sandbox is tried under: none, each before the kernel's,
// and the kernel's own (-1).
constexpr int Abis[] = {0, 1, 2, 3, 4, 5, 6, -1};

QStringList withAbi(int abi, QStringList arguments) {
    if (abi >= 0)
        arguments = QStringList{QStringLiteral("--abi"), QString::number(abi)} + arguments;
    return arguments;
}

// Whether the sandbox sees no Landlock under this cap (0, or a kernel without it): only
// then may the helper end because the system cannot confine it (no namespace either).
bool withoutLandlock(int abi) {
    constexpr unsigned AskVersion = 1;
    return abi == 0 || syscall(SYS_landlock_create_ruleset, nullptr, 0, AskVersion) < 1;
}

QByteArray abiName(int abi) {
    return abi < 0 ? QByteArray("the kernel's Landlock") : "Landlock " + QByteArray::number(abi);
}

} // namespace

class TestSandbox final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void refusesEachForbiddenThing_data();
    void refusesEachForbiddenThing();
    void showsTheShippedPages_data();
    void showsTheShippedPages();
    void aMissingLayerEnds_data();
    void aMissingLayerEnds();
    void theHelperStartsWithNothingOfTheWindows();

private:
    QTemporaryDir m_scratch;
    tarvo::testing::LocalHttpServer m_origin; // the pane's host and port, as the probe is told
    QTcpServer m_listener;                    // on 127.0.0.1: a port no helper may reach
    QProcess m_other;                         // another process of the same user
    QHash<QString, QByteArray> m_unconfined;  // what the probe did outside, by attempt
};

void TestSandbox::initTestCase() {
    QVERIFY(m_scratch.isValid());
    QVERIFY(QDir(m_scratch.path()).mkpath(QStringLiteral("home")));
    QFile secret(m_scratch.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("the user's own\n");
    QVERIFY(m_origin.listen());
    for (const char* page : {"kiv.html", "kiv_top.html"}) {
        QFile shipped(QStringLiteral(TARVO_WEB_PAGES "/") + QLatin1String(page));
        QVERIFY(shipped.open(QIODevice::ReadOnly));
        m_origin.page(QByteArray("/") + page, shipped.readAll());
    }
    QVERIFY(m_listener.listen(QHostAddress::LocalHost));
    m_other.start(QStringLiteral("/bin/sleep"), {QStringLiteral("600")});
    QVERIFY(m_other.waitForStarted());
}

void TestSandbox::cleanupTestCase() {
    m_other.kill();
    m_other.waitForFinished();
}

void TestSandbox::refusesEachForbiddenThing_data() {
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QString>("argument"); // %1: the scratch folder; %2: the listener's port;
                                           // %p: this test (the probe's parent); %o: another
    QTest::addColumn<int>("abi");          // the Landlock version the sandbox sees
    const struct {
        const char* name;
        const char* attempt;
        const char* argument;
    } forbidden[] = {
        {"write a file under the home", "write", "%1/home/notes.txt"},
        {"read a file outside the fonts", "read", "%1/secret.txt"},
        {"stat a planted file", "stat", "%1/secret.txt"},
        {"stat a planted file as fstat is asked", "rawstat", "%1/secret.txt"},
        {"open a planted file for its path", "path", "%1/secret.txt"},
        {"read the parent's environment", "read", "/proc/%p/environ"},
        {"open the parent's memory", "open", "/proc/%p/mem"},
        {"start a program", "run", "/bin/echo"},
        {"start a second process by clone", "fork", ""},
        {"open a second socket", "socket", ""},
        {"connect to another port", "connect", "%2"},
        {"have the fetch connect to another port", "ask", "%2"},
        {"re-aim a used connection with MSG_FASTOPEN", "reaim", "%2"},
        // the page, 8 frames and 16 pictures, each with 5 redirects: 150 connections
        {"have more connections made than a page may", "many", "151"},
        {"signal the parent through F_SETOWN", "setown", "%p"},
        {"signal another process through F_SETOWN", "setown", "%o"},
        {"signal the parent through tgkill", "tgkill", "%p"},
        {"signal another process through tgkill", "tgkill", "%o"},
        {"widen a pipe", "widen", ""},
        {"take a priority-inheriting lock", "lockpi", ""},
        {"merge its pages with other processes'", "merge", ""},
        {"set a socket option the fetch never sets", "ttl", ""},
        {"ask the parent's CPU affinity", "affinity", "%p"},
    };
    for (const auto& row : forbidden) {
        for (int abi : Abis) {
            QTest::addRow("%s, %s", row.name, abiName(abi).constData())
                << row.attempt << row.argument << abi;
        }
    }
}

void TestSandbox::refusesEachForbiddenThing() {
    QFETCH(QString, attempt);
    QFETCH(QString, argument);
    QFETCH(int, abi);
    argument =
        argument.replace(QLatin1String("%1"), m_scratch.path())
            .replace(QLatin1String("%2"), QString::number(m_listener.serverPort()))
            .replace(QLatin1String("%p"), QString::number(QCoreApplication::applicationPid()))
            .replace(QLatin1String("%o"), QString::number(m_other.processId()));
    // Outside the sandbox the probe does it: a refusal inside is the sandbox's.
    const QString key = attempt + QLatin1Char(' ') + argument;
    if (!m_unconfined.contains(key))
        m_unconfined.insert(
            key, probe({QStringLiteral("--unconfined"), attempt, argument}, m_origin.port()).out);
    QCOMPARE(m_unconfined.value(key), QByteArray("done\n"));
    const Run confined = probe(withAbi(abi, {attempt, argument}), m_origin.port());
    const bool cannotConfine =
        withoutLandlock(abi) && confined.code == tarvo::sandbox::CannotConfineExit;
    QVERIFY2(confined.ended || confined.out.startsWith("refused: ") || cannotConfine,
             confined.out + confined.err);
}

// What the program ships, shown inside the sandbox as the helper shows it; without
// Landlock (and without a namespace) the helper may instead end with its own code.
void TestSandbox::showsTheShippedPages_data() {
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("abi");
    for (const char* page : {"/kiv.html", "/kiv_top.html"}) {
        for (int abi : Abis)
            QTest::addRow("%s, %s", page, abiName(abi).constData()) << page << abi;
    }
}

void TestSandbox::showsTheShippedPages() {
    QFETCH(QString, page);
    QFETCH(int, abi);
    const Run run = probe(withAbi(abi, {QStringLiteral("page"), page}), m_origin.port());
    if (withoutLandlock(abi) && run.code == tarvo::sandbox::CannotConfineExit)
        return;
    QCOMPARE(run.out, QByteArray("done\n"));
}

void TestSandbox::aMissingLayerEnds_data() {
    QTest::addColumn<QStringList>("before"); // the probe's options
    QTest::addColumn<int>("call");           // the system call the kernel seems not to have
    QTest::addColumn<int>("code");
    QTest::newRow("no seccomp: it cannot enter its sandbox")
        << QStringList() << int(SCMP_SYS(seccomp)) << int(tarvo::sandbox::NoSandboxExit);
    QTest::newRow("a thread already running: it cannot enter its sandbox")
        << QStringList{"--thread"} << 0 << int(tarvo::sandbox::NoSandboxExit);
    QTest::newRow("no Landlock and no namespace: this system cannot confine it")
        << QStringList{"--abi", "0"} << int(SCMP_SYS(unshare))
        << int(tarvo::sandbox::CannotConfineExit);
}

void TestSandbox::aMissingLayerEnds() {
    QFETCH(QStringList, before);
    QFETCH(int, call);
    QFETCH(int, code);
    const Run run = probe(before << QStringLiteral("start") << QString(), m_origin.port(), call);
    QVERIFY2(!run.ended && run.code == code, run.out + run.err);
}

// A secret in the window's environment, a descriptor it leaves open to children and a
// working folder of its own: the helper starts with none of them.
void TestSandbox::theHelperStartsWithNothingOfTheWindows() {
    qputenv("TARVO_SECRET", "token");
    const int leaked = ::open("/dev/null", O_RDONLY);
    const QString folder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_scratch.path()));
    QProcess helper;
    tarvo::sandbox::startConfined(
        helper, QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("pwd; echo \"[$TARVO_SECRET]\"; test -e /proc/self/fd/%1 && echo leaked")
             .arg(leaked)},
        {5, 0});
    QDir::setCurrent(folder);
    ::close(leaked);
    qunsetenv("TARVO_SECRET");
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.readAllStandardOutput(), QByteArray("/\n[]\n"));
}

QTEST_GUILESS_MAIN(TestSandbox)
#include "test_sandbox.moc"
