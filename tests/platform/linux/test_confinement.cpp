// The helper's limits on Linux, through real children: how each way of ending is told.
#include "sandbox/confinement.h"

#include <QtTest>

using namespace tarvo::platform;

Q_DECLARE_METATYPE(HelperEnd)

class TestConfinement final : public QObject {
    Q_OBJECT
private slots:
    void tellsHowTheHelperEnded_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("cpuSeconds");
        QTest::addColumn<HelperEnd>("end");
        QTest::newRow("exits by itself") << QStringList{"-c", "exit 3"} << 5 << HelperEnd::Finished;
        QTest::newRow("spins past 1 s of CPU time")
            << QStringList{"-c", "while :; do :; done"} << 1 << HelperEnd::PastLimit;
        // A soft limit above the hard one: setrlimit refuses it, and the child never runs.
        QTest::newRow("limit that cannot be set")
            << QStringList{"-c", "exit 0"} << -1 << HelperEnd::NotConfined;
        // How the system call filter ends it.
        QTest::newRow("ended by SIGSYS")
            << QStringList{"-c", "kill -SYS $$"} << 5 << HelperEnd::Forbidden;
    }
    void tellsHowTheHelperEnded() {
        QFETCH(QStringList, command);
        QFETCH(int, cpuSeconds);
        QFETCH(HelperEnd, end);
        QProcess process;
        startConfined(process, QStringLiteral("/bin/sh"), command, {cpuSeconds, 0});
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(helperEnd(process), end);
    }
};

QTEST_MAIN(TestConfinement)
#include "test_confinement.moc"
