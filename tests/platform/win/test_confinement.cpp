// The helper's job on Windows: created inside it, and how each way of ending is told.
#include "platform/confinement.h"

#include <QtTest>

#include <windows.h>

using namespace tarvo::platform;

Q_DECLARE_METATYPE(HelperEnd)
Q_DECLARE_METATYPE(QProcess::ExitStatus)

class TestConfinement final : public QObject {
    Q_OBJECT
private slots:
    // The exit codes real Windows gives; wine keeps no job limits, so they are not
    // produced here.
    void tellsHowTheHelperEnded_data() {
        QTest::addColumn<QProcess::ExitStatus>("status");
        QTest::addColumn<quint32>("code");
        QTest::addColumn<HelperEnd>("end");
        QTest::newRow("exits by itself") << QProcess::NormalExit << 0u << HelperEnd::Finished;
        QTest::newRow("refuses its arguments") << QProcess::NormalExit << 2u << HelperEnd::Finished;
        QTest::newRow("CPU time limit: ERROR_NOT_ENOUGH_QUOTA")
            << QProcess::NormalExit << 1816u << HelperEnd::PastLimit;
        QTest::newRow("memory limit: bad_alloc, then abort()")
            << QProcess::NormalExit << 3u << HelperEnd::PastLimit;
        QTest::newRow("memory limit: STATUS_NO_MEMORY")
            << QProcess::CrashExit << 0xC0000017u << HelperEnd::PastLimit;
        QTest::newRow("memory limit: stack cannot grow")
            << QProcess::CrashExit << 0xC00000FDu << HelperEnd::PastLimit;
    }
    void tellsHowTheHelperEnded() {
        QFETCH(QProcess::ExitStatus, status);
        QFETCH(quint32, code);
        QFETCH(HelperEnd, end);
        QCOMPARE(helperEnd(status, int(code)), end);
    }

    // The helper is a member of a job from its start.
    void helperIsBornInItsJob() {
        QProcess process;
        startConfined(process, QStringLiteral("cmd.exe"), {"/c", "ping -n 30 127.0.0.1"}, {5, 0});
        QVERIFY(process.waitForStarted());
        const HANDLE child =
            ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, DWORD(process.processId()));
        QVERIFY(child);
        BOOL inJob = FALSE;
        QVERIFY(::IsProcessInJob(child, nullptr, &inJob));
        ::CloseHandle(child);
        QVERIFY(inJob);
        process.kill();
        process.waitForFinished();
    }
};

QTEST_MAIN(TestConfinement)
#include "test_confinement.moc"
