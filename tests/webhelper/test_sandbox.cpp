// The page helper's sandbox, entered by the probe through the helper's own function:
// whatever a broken helper tries beyond its page is refused, and a sandbox that cannot
// be set up ends it.
#include "platform/confinement.h"
#include "webprotocol/exitcodes.h"

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

Run probe(QStringList arguments, quint16 origin, int missingCall = 0) {
    arguments << QString::number(origin);
    QProcess process;
    if (missingCall)
        withoutCall(process, missingCall);
    process.start(QStringLiteral(TARVO_SANDBOX_PROBE), arguments);
    process.waitForFinished(20000);
    return {process.exitStatus() == QProcess::CrashExit, process.exitCode(),
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestSandbox final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void refusesEachForbiddenThing_data();
    void refusesEachForbiddenThing();
    void aMissingLayerEndsOrIsNamed_data();
    void aMissingLayerEndsOrIsNamed();
    void theHelperStartsWithNothingOfTheWindows();

private:
    QTemporaryDir m_scratch;
    QTcpServer m_origin;   // on 127.0.0.1: the pane's host and port, as the probe is told
    QTcpServer m_listener; // on 127.0.0.1: a port no helper may reach
};

void TestSandbox::initTestCase() {
    QVERIFY(m_scratch.isValid());
    QVERIFY(QDir(m_scratch.path()).mkpath(QStringLiteral("home")));
    QFile secret(m_scratch.filePath(QStringLiteral("secret.txt")));
    QVERIFY(secret.open(QIODevice::WriteOnly));
    secret.write("the user's own\n");
    QVERIFY(m_origin.listen(QHostAddress::LocalHost));
    QVERIFY(m_listener.listen(QHostAddress::LocalHost));
}

void TestSandbox::refusesEachForbiddenThing_data() {
    QTest::addColumn<QString>("attempt");
    QTest::addColumn<QString>("argument"); // %1: the scratch folder; %2: the listener's port
    QTest::addColumn<bool>("landlock");    // false: the system call filter alone refuses it
    for (const bool landlock : {true, false}) {
        const char* alone = landlock ? "" : ", filter alone";
        QTest::addRow("write a file under the home%s", alone) << "write"
                                                              << "%1/home/notes.txt" << landlock;
        QTest::addRow("start a program%s", alone) << "run"
                                                  << "/bin/echo" << landlock;
        QTest::addRow("open a second socket%s", alone) << "socket"
                                                       << "" << landlock;
        QTest::addRow("connect to another port%s", alone) << "connect"
                                                          << "%2" << landlock;
    }
    QTest::newRow("read a file outside the fonts") << "read"
                                                   << "%1/secret.txt" << true;
    QTest::newRow("have the fetch connect to another port") << "ask"
                                                            << "%2" << true;
}

void TestSandbox::refusesEachForbiddenThing() {
    QFETCH(QString, attempt);
    QFETCH(QString, argument);
    QFETCH(bool, landlock);
    argument = argument.replace(QLatin1String("%1"), m_scratch.path())
                   .replace(QLatin1String("%2"), QString::number(m_listener.serverPort()));
    const quint16 origin = m_origin.serverPort();
    // Outside the sandbox the probe does it: a refusal inside is the sandbox's.
    const Run free = probe({QStringLiteral("--unconfined"), attempt, argument}, origin);
    QCOMPARE(free.out, QByteArray("done\n"));
    const Run confined =
        probe({attempt, argument}, origin, landlock ? 0 : int(SCMP_SYS(landlock_create_ruleset)));
    if (landlock && confined.err.contains("no Landlock"))
        QSKIP("this kernel offers no Landlock");
    QVERIFY2(confined.ended || confined.out.startsWith("refused: "), confined.out + confined.err);
}

void TestSandbox::aMissingLayerEndsOrIsNamed_data() {
    QTest::addColumn<QStringList>("before"); // the probe's options
    QTest::addColumn<int>("call");           // the system call the kernel seems not to have
    QTest::addColumn<bool>("ends");
    QTest::newRow("no seccomp: the helper ends") << QStringList() << int(SCMP_SYS(seccomp)) << true;
    QTest::newRow("a thread already running: the helper ends")
        << QStringList{"--thread"} << 0 << true;
    QTest::newRow("no Landlock: a note, and it goes on")
        << QStringList() << int(SCMP_SYS(landlock_create_ruleset)) << false;
}

void TestSandbox::aMissingLayerEndsOrIsNamed() {
    QFETCH(QStringList, before);
    QFETCH(int, call);
    QFETCH(bool, ends);
    const Run run =
        probe(before << QStringLiteral("write") << m_scratch.filePath(QStringLiteral("home/n")),
              m_origin.serverPort(), call);
    if (ends) {
        QVERIFY2(!run.ended && run.code == tarvo::webprotocol::NoSandboxExit, run.out + run.err);
    } else {
        QVERIFY2(run.out.startsWith("refused: "), run.out);
        QVERIFY2(run.err.contains("no Landlock"), run.err);
    }
}

// A secret in the window's environment, a descriptor it leaves open to children and a
// working folder of its own: the helper starts with none of them.
void TestSandbox::theHelperStartsWithNothingOfTheWindows() {
    qputenv("TARVO_SECRET", "token");
    const int leaked = ::open("/dev/null", O_RDONLY);
    const QString folder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_scratch.path()));
    QProcess helper;
    tarvo::platform::startConfined(
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
