#include "forms/application.h"
#include "forms/frame.h"
#include "forms/framelock.h"
#include "forms/framethread.h"
#include "forms/ticksource.h"
#include "forms/timer.h"
#include "forms/yield.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <thread>

using namespace tarvo::forms;

namespace {
// Any warning from Qt (an object used from the wrong thread, above all) fails the test.
std::atomic<int> g_warnings{0};

// A frame timer at every tick whose handler notes where and how it ran.
struct FrameProbe {
    Timer timer;
    std::atomic<int> ticks{0};
    std::atomic<bool> inFrame{false};
    // On the frame thread, holding the lock, inside its tick: every time.
    std::atomic<bool> placed{true};
    std::function<void()> extra;

    FrameProbe() {
        timer.setFrameTimer(true);
        timer.setInterval(8);
        QObject::connect(
            &timer, &Timer::tick, &timer,
            [this] {
                inFrame = true;
                placed = placed && onFrameThread() && FrameLock::heldHere() && insideTick();
                if (extra)
                    extra();
                inFrame = false;
                ++ticks;
            },
            Qt::DirectConnection);
    }
};
} // namespace

class TestFrameThread final : public QObject {
    Q_OBJECT
private slots:
    void init() {
        g_warnings = 0;
        TickSource::instance().setFrameThreadEnabled(true);
    }
    void cleanup() {
        TickSource::instance().setFrameThreadEnabled(false);
        setYieldHandler({});
        QCOMPARE(g_warnings.load(), 0);
    }

    // The window thread's events and the frames take turns: none starts while the other
    // runs, even when a frame yields (which does nothing there). What a frame asks of
    // the window thread runs there.
    void framesRunOnTheirThreadBetweenTheWindowsEvents() {
        FrameProbe probe;
        std::atomic<bool> yieldedInFrame{false};
        setYieldHandler([&] { yieldedInFrame = yieldedInFrame || onFrameThread(); });
        int postedHere = 0;
        probe.extra = [&] {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            doEvents();
            runOnWindowThread(&probe.timer, [&] { postedHere += onFrameThread() ? -1000 : 1; });
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        };
        int windowTicks = 0;
        Timer windowTimer;
        windowTimer.setInterval(8);
        connect(&windowTimer, &Timer::tick, [&] { windowTicks += onFrameThread() ? 1000 : 1; });
        bool overlapped = false;
        QTimer busy; // window events as fast as the loop takes them
        connect(&busy, &QTimer::timeout, [&] { overlapped = overlapped || probe.inFrame; });
        busy.start(0);
        probe.timer.setEnabled(true);
        windowTimer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(postedHere >= 30 && windowTicks >= 3, 5000);
        probe.timer.setEnabled(false);
        QVERIFY(windowTicks < 1000);
        QVERIFY(!overlapped);
        QVERIFY(probe.placed);
        QVERIFY(!yieldedInFrame);
    }

    // A window handler that does not yield holds the frames back; one that yields lets
    // them run meanwhile, and the ticks missed are not made up in a burst.
    void onlyAYieldOfTheWindowThreadLetsFramesIn() {
        FrameProbe probe;
        probe.timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(probe.ticks >= 1, 5000);
        int heldBack = -1;
        qint64 fiveTook = -1;
        QTimer::singleShot(0, [&] {
            const int before = probe.ticks;
            QElapsedTimer clock;
            clock.start();
            while (clock.elapsed() < 100)
                std::this_thread::yield();
            heldBack = probe.ticks - before;
            clock.restart();
            while (probe.ticks < before + 5 && clock.elapsed() < 5000)
                doEvents();
            fiveTook = probe.ticks >= before + 5 ? clock.elapsed() : -1;
        });
        QTRY_VERIFY_WITH_TIMEOUT(heldBack >= 0, 5000);
        QCOMPARE(heldBack, 0);
        // The one held back and the current one at once, the next three a tick apart.
        QVERIFY2(fiveTook >= 25, qPrintable(QString::number(fiveTook)));
    }

    // Hidden, no frame timer runs: the thread wakes for nothing. Switched off while a
    // frame waits for the lock, it still ends, and frame timers fire on the window
    // thread again.
    void idleWithoutFrameTimersAndBackOnTheWindowThreadWhenOff() {
        FrameProbe probe;
        probe.timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(probe.ticks >= 2, 5000);
        probe.timer.setEnabled(false);
        const qint64 deliveries = TickSource::instance().deliveries();
        QTest::qWait(200);
        QCOMPARE(TickSource::instance().deliveries(), deliveries);

        probe.timer.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(probe.ticks >= 4, 5000);
        {
            const FrameLock::Hold hold;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            TickSource::instance().setFrameThreadEnabled(false);
        }
        probe.placed = true;
        const int before = probe.ticks;
        QTRY_VERIFY_WITH_TIMEOUT(probe.ticks >= before + 2, 5000);
        QVERIFY(!probe.placed);
    }
};

int main(int argc, char** argv) {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtDebugMsg && type != QtInfoMsg && ++g_warnings)
            fprintf(stderr, "%s\n", qPrintable(text));
    });
    Application app(argc, argv);
    TestFrameThread test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_framethread.moc"
