// The helper's job on Windows: created inside it, and how each way of ending is told.
#include "sandbox/confinement.h"
#include "sandbox/ending.h"

#include <QtTest>

#include <windows.h>

using namespace tarvo::sandbox;

class TestConfinement final : public QObject {
    Q_OBJECT
private slots:
    // The exit codes real Windows gives (wine keeps no job limits); Qt reports those of
    // exceptions, 0x8000'0000 to 0xCFFF'FFFF, as a crash.
    void tellsHowTheHelperEnded_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<QString>("reason");
        QTest::newRow("exits by itself") << 0u << "the page helper ended early";
        QTest::newRow("refuses its arguments") << 2u << "the page helper ended early";
        QTest::newRow("CPU time: ERROR_NOT_ENOUGH_QUOTA")
            << 1816u << "the page went past the CPU-time limit";
        QTest::newRow("memory: its own code") << 4u << "the page went past the memory limit";
        QTest::newRow("memory: STATUS_NO_MEMORY")
            << 0xC0000017u << "the page went past the memory limit";
        QTest::newRow("abort()") << 3u << "the page crashed its helper";
        QTest::newRow("an access violation") << 0xC0000005u << "the page crashed its helper";
        QTest::newRow("a stack that cannot grow") << 0xC00000FDu << "the page crashed its helper";
        QTest::newRow("no sandbox") << 5u << "the page helper could not enter its sandbox";
    }
    void tellsHowTheHelperEnded() {
        QFETCH(quint32, code);
        QFETCH(QString, reason);
        const bool crash = code >= 0x80000000u && code < 0xD0000000u;
        QCOMPARE(
            endReason(helperEnd(crash ? QProcess::CrashExit : QProcess::NormalExit, int(code))),
            reason);
    }

    // The helper is a member of a job from its start.
    void helperIsBornInItsJob() {
        QProcess process;
        QVERIFY(startConfined(process, QStringLiteral("cmd.exe"), {"/c", "ping -n 30 127.0.0.1"},
                              {5, 0}));
        QVERIFY(process.waitForStarted());
        const HANDLE child =
            ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, DWORD(process.processId()));
        BOOL inJob = FALSE;
        QVERIFY(child && ::IsProcessInJob(child, nullptr, &inJob));
        ::CloseHandle(child);
        QVERIFY(inJob);
        process.kill();
        process.waitForFinished();
    }
};

QTEST_MAIN(TestConfinement)
#include "test_confinement.moc"
