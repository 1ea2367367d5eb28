// The helper's job on Windows: created inside it, and how each way of ending is told.
#include "sandbox/confinement.h"

#include <QtTest>

#include <windows.h>

using namespace tarvo::platform;

Q_DECLARE_METATYPE(HelperEnd)

class TestConfinement final : public QObject {
    Q_OBJECT
private slots:
    // The exit codes real Windows gives (wine keeps no job limits); Qt reports those of
    // exceptions, 0x8000'0000 to 0xCFFF'FFFF, as a crash.
    void tellsHowTheHelperEnded_data() {
        QTest::addColumn<quint32>("code");
        QTest::addColumn<HelperEnd>("end");
        QTest::newRow("exits by itself") << 0u << HelperEnd::Finished;
        QTest::newRow("refuses its arguments") << 2u << HelperEnd::Finished;
        QTest::newRow("CPU time: ERROR_NOT_ENOUGH_QUOTA") << 1816u << HelperEnd::PastLimit;
        QTest::newRow("memory: bad_alloc, then abort()") << 3u << HelperEnd::PastLimit;
        QTest::newRow("memory: STATUS_NO_MEMORY") << 0xC0000017u << HelperEnd::PastLimit;
        QTest::newRow("memory: stack cannot grow") << 0xC00000FDu << HelperEnd::PastLimit;
    }
    void tellsHowTheHelperEnded() {
        QFETCH(quint32, code);
        QFETCH(HelperEnd, end);
        const bool crash = code >= 0x80000000u && code < 0xD0000000u;
        QCOMPARE(helperEnd(crash ? QProcess::CrashExit : QProcess::NormalExit, int(code)), end);
    }

    // The helper is a member of a job from its start.
    void helperIsBornInItsJob() {
        QProcess process;
        startConfined(process, QStringLiteral("cmd.exe"), {"/c", "ping -n 30 127.0.0.1"}, {5, 0});
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
