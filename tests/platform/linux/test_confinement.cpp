// The helper's limits on Linux, through real children: how each way of ending is told on
// the pane.
#include "sandbox/confinement.h"
#include "sandbox/ending.h"

#include <QtTest>

using namespace tarvo::sandbox;

class TestConfinement final : public QObject {
    Q_OBJECT
private slots:
    void tellsHowTheHelperEnded_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("cpuSeconds");
        QTest::addColumn<QString>("reason");
        QTest::newRow("exits by itself")
            << QStringList{"-c", "exit 3"} << 5 << "the page helper ended early";
        QTest::newRow("spins past 1 s of CPU time") << QStringList{"-c", "while :; do :; done"} << 1
                                                    << "the page went past the CPU-time limit";
        // A soft limit above the hard one: setrlimit refuses it, and the child never runs.
        QTest::newRow("limit that cannot be set")
            << QStringList{"-c", "exit 0"} << -1
            << "the page helper could not run under its limits";
        // How the system call filter ends it.
        QTest::newRow("ended by SIGSYS") << QStringList{"-c", "kill -SYS $$"} << 5
                                         << "the page helper was stopped by its sandbox";
        QTest::newRow("a fault") << QStringList{"-c", "kill -SEGV $$"} << 5
                                 << "the page crashed its helper";
        QTest::newRow("killed by another process")
            << QStringList{"-c", "kill -KILL $$"} << 5 << "the page helper was ended from outside";
        // The helper's own codes.
        QTest::newRow("out of memory")
            << QStringList{"-c", "exit 4"} << 5 << "the page went past the memory limit";
        QTest::newRow("no sandbox")
            << QStringList{"-c", "exit 5"} << 5 << "the page helper could not enter its sandbox";
        QTest::newRow("no way to confine it")
            << QStringList{"-c", "exit 6"} << 5 << "this system cannot confine the page helper";
    }
    void tellsHowTheHelperEnded() {
        QFETCH(QStringList, command);
        QFETCH(int, cpuSeconds);
        QFETCH(QString, reason);
        QProcess process;
        QVERIFY(startConfined(process, QStringLiteral("/bin/sh"), command, {cpuSeconds, 0}));
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(endReason(helperEnd(process)), reason);
    }
};

QTEST_MAIN(TestConfinement)
#include "test_confinement.moc"
