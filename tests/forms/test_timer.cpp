#include "forms/frame.h"
#include "forms/ticksource.h"
#include "forms/timer.h"
#include "forms/yield.h"
#include "runtime/errors.h"

#include <QAbstractEventDispatcher>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace tarvo::runtime;
using namespace tarvo::forms;

class TestTimer final : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        setYieldHandler({});
        setFrameEndHandler({});
    }

    void effectiveIntervalKeepsTheClockResolution_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("effective");
        QTest::newRow("0 never fires") << 0 << 0;
        QTest::newRow("1") << 1 << 16;
        QTest::newRow("2") << 2 << 16;
        QTest::newRow("8") << 8 << 16;
        QTest::newRow("15") << 15 << 16;
        QTest::newRow("16 needs two ticks") << 16 << 31;
        QTest::newRow("20") << 20 << 31;
        QTest::newRow("46") << 46 << 47;
        QTest::newRow("47 needs four ticks") << 47 << 63;
        QTest::newRow("1000") << 1000 << 1000;
        QTest::newRow("1001") << 1001 << 1016;
        QTest::newRow("20000") << 20000 << 20000;
        QTest::newRow("65535") << 65535 << 65547;
    }
    void effectiveIntervalKeepsTheClockResolution() {
        QFETCH(int, interval);
        QFETCH(int, effective);
        QCOMPARE(Timer::effectiveInterval(interval), effective);
    }

    void firesOnlyWhenEnabledWithAnInterval() {
        Timer timer;
        int ticks = 0;
        connect(&timer, &Timer::tick, [&] { ++ticks; });
        timer.fire();
        QCOMPARE(ticks, 0); // a new timer is disabled
        timer.setEnabled(true);
        timer.fire();
        QCOMPARE(ticks, 0); // interval 0
        timer.setInterval(1000);
        timer.fire();
        QCOMPARE(ticks, 1);
        timer.setEnabled(false);
        timer.fire();
        QCOMPARE(ticks, 1);
        QVERIFY(!timer.isEnabled());
        QCOMPARE(timer.interval(), 1000);
    }

    void refusesIntervalsOutOfRange() {
        Timer timer;
        timer.setInterval(20000);
        for (const int bad : {-1, 65536}) {
            try {
                timer.setInterval(bad);
                QFAIL("no error raised");
            } catch (const RuntimeError& e) {
                QCOMPARE(e.number(), 380);
            }
        }
        QCOMPARE(timer.interval(), 20000);
    }

    void aYieldingHandlerIsNotReentered() {
        Timer timer;
        timer.setInterval(2);
        timer.setEnabled(true);
        int entries = 0;
        int depth = 0;
        int maxDepth = 0;
        bool handlingInside = false;
        // The yield stands in for the message loop delivering further ticks meanwhile.
        setYieldHandler([&] {
            timer.fire();
            timer.fire();
        });
        connect(&timer, &Timer::tick, [&] {
            ++entries;
            maxDepth = std::max(maxDepth, ++depth);
            handlingInside = timer.isHandling();
            doEvents();
            --depth;
        });
        timer.fire();
        QCOMPARE(entries, 1);
        QCOMPARE(maxDepth, 1);
        QVERIFY(handlingInside);
        QVERIFY(!timer.isHandling());
        // Once the handler has returned, the next tick runs it again.
        timer.fire();
        QCOMPARE(entries, 2);
    }

    void otherTimersRunInsideAYield() {
        Timer sampling;
        Timer animation;
        for (Timer* t : {&sampling, &animation}) {
            t->setInterval(2);
            t->setEnabled(true);
        }
        QStringList order;
        setYieldHandler([&] { animation.fire(); });
        connect(&sampling, &Timer::tick, [&] {
            order << QStringLiteral("sampling in");
            doEvents();
            order << QStringLiteral("sampling out");
        });
        connect(&animation, &Timer::tick, [&] { order << QStringLiteral("animation"); });
        sampling.fire();
        QCOMPARE(order, (QStringList{QStringLiteral("sampling in"), QStringLiteral("animation"),
                                     QStringLiteral("sampling out")}));
    }

    void aHandlerMayDeleteItsTimer() {
        auto* timer = new Timer;
        timer->setInterval(1000);
        timer->setEnabled(true);
        QPointer<Timer> guard(timer);
        connect(timer, &Timer::tick, [timer] { delete timer; });
        timer->fire();
        QVERIFY(guard.isNull());
    }

    void theClockDeliversTicks() {
        Timer timer;
        QSignalSpy spy(&timer, &Timer::tick);
        timer.setInterval(2);
        timer.setEnabled(true);
        QVERIFY(spy.wait(5000));
        timer.setEnabled(false);
        const int count = int(spy.count());
        QTest::qWait(100);
        QCOMPARE(spy.count(), count); // a disabled timer stays quiet
    }

    // ---- the one tick source ----

    // Interval, ticks of 1/64 s from one firing to the next (also the least wait before
    // the first: the first tick at or after the interval has passed).
    void aTimerFiresEveryTickThatCoversItsInterval_data() {
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("ticks");
        QTest::newRow("2 ms, the animation") << 2 << 1;
        QTest::newRow("8 ms, the graph") << 8 << 1;
        QTest::newRow("15 ms") << 15 << 1;
        QTest::newRow("16 ms needs two") << 16 << 2;
        QTest::newRow("20 ms") << 20 << 2;
        QTest::newRow("47 ms needs four") << 47 << 4;
        QTest::newRow("1000 ms, sampling") << 1000 << 64;
        QTest::newRow("20000 ms, the probe") << 20000 << 1280;
    }
    void aTimerFiresEveryTickThatCoversItsInterval() {
        QFETCH(int, interval);
        QFETCH(int, ticks);
        TickSource& source = TickSource::instance();
        Timer timer;
        QList<qint64> fired;
        qint64 now = 0;
        connect(&timer, &Timer::tick, [&] { fired << now; });
        timer.setInterval(interval);
        const qint64 started = source.currentTick();
        timer.setEnabled(true);
        const qint64 due = source.armedTick();
        QVERIFY2(due - started == ticks || due - started == ticks + 1,
                 qPrintable(QString::number(due - started)));
        for (now = started; now <= due + 3 * ticks; ++now)
            source.deliver(now);
        QCOMPARE(fired, (QList<qint64>{due, due + ticks, due + 2 * ticks, due + 3 * ticks}));
    }

    // Timer3 and Timer4 fall due on every tick: one delivery fires both, the one started
    // last first (the message loop hands out the newest ready timer first), and their
    // changes end in one frame after both.
    void timersDueTogetherFireInOneWakeUpNewestFirst() {
        TickSource& source = TickSource::instance();
        Timer sampling;
        Timer animation;
        Timer graph;
        QStringList order;
        connect(&sampling, &Timer::tick, [&] { order << QStringLiteral("sampling"); });
        connect(&animation, &Timer::tick, [&] {
            order << QStringLiteral("animation");
            requestFrameEnd();
        });
        connect(&graph, &Timer::tick, [&] {
            order << QStringLiteral("graph");
            requestFrameEnd();
        });
        setFrameEndHandler([&] { order << QStringLiteral("frame"); });
        sampling.setInterval(1000);
        animation.setInterval(2);
        graph.setInterval(8);
        for (Timer* t : {&sampling, &animation, &graph})
            t->setEnabled(true);

        const qint64 first = source.armedTick();
        const qint64 deliveries = source.deliveries();
        source.deliver(first + 1);
        QCOMPARE(source.deliveries(), deliveries + 1);
        QCOMPARE(order, (QStringList{QStringLiteral("graph"), QStringLiteral("animation"),
                                     QStringLiteral("frame")}));
        // On the sampling tick all three share the wake-up.
        order.clear();
        source.deliver(first + 64);
        QCOMPARE(order, (QStringList{QStringLiteral("graph"), QStringLiteral("animation"),
                                     QStringLiteral("sampling"), QStringLiteral("frame")}));
        // Restarting a timer puts it first again.
        animation.setEnabled(false);
        animation.setEnabled(true);
        order.clear();
        source.deliver(source.armedTick() + 1);
        QCOMPARE(order.first(), QStringLiteral("animation"));
        // No frame was left pending for the event loop.
        QCoreApplication::processEvents();
        QCOMPARE(order.count(QStringLiteral("frame")), 1);
    }

    void missedTicksAreNotMadeUp() {
        TickSource& source = TickSource::instance();
        Timer timer;
        int ticks = 0;
        connect(&timer, &Timer::tick, [&] { ++ticks; });
        timer.setInterval(2);
        timer.setEnabled(true);
        const qint64 late = source.armedTick() + 10;
        source.deliver(late);
        QCOMPARE(ticks, 1);
        source.deliver(late);
        QCOMPARE(ticks, 1);
        QCOMPARE(source.armedTick(), late + 1);
        source.deliver(late + 1);
        QCOMPARE(ticks, 2);
    }

    void noWakeUpWithoutARunningTimer() {
        TickSource& source = TickSource::instance();
        QCOMPARE(source.armedTick(), -1);
        Timer timer;
        timer.setInterval(1000);
        QCOMPARE(source.armedTick(), -1); // not enabled
        timer.setEnabled(true);
        QVERIFY(source.armedTick() > source.currentTick());
        timer.setEnabled(false);
        QCOMPARE(source.armedTick(), -1);
        {
            Timer gone;
            gone.setInterval(2);
            gone.setEnabled(true);
        }
        QCOMPARE(source.armedTick(), -1);
    }

    // A tick delivered while a handler yields runs the other timers, not the yielding
    // one, and ends its own frame so the screen keeps up.
    void aTickInsideAYieldSkipsTheYieldingHandler() {
        TickSource& source = TickSource::instance();
        Timer sampling;
        Timer animation;
        for (Timer* t : {&sampling, &animation}) {
            t->setInterval(2);
            t->setEnabled(true);
        }
        const qint64 first = source.armedTick();
        QStringList order;
        setFrameEndHandler([&] { order << QStringLiteral("frame"); });
        setYieldHandler([&] { source.deliver(first + 1); });
        connect(&sampling, &Timer::tick, [&] {
            order << QStringLiteral("sampling in");
            doEvents();
            order << QStringLiteral("sampling out");
        });
        connect(&animation, &Timer::tick, [&] { order << QStringLiteral("animation"); });
        // Started last, the animation fires first; then sampling yields into the next tick.
        source.deliver(first);
        QCOMPARE(order, (QStringList{QStringLiteral("animation"), QStringLiteral("sampling in"),
                                     QStringLiteral("animation"), QStringLiteral("frame"),
                                     QStringLiteral("sampling out"), QStringLiteral("frame")}));
    }

    // With the real clock: once both have fired, the two fast timers fire on the same
    // wake-ups, one per tick, each wake-up one frame. (The first firing of the 8 ms timer
    // may come a tick after the 2 ms one's.)
    void theFastTimersShareEveryWakeUp() {
        TickSource& source = TickSource::instance();
        Timer animation;
        Timer graph;
        bool animated = false;
        bool graphed = false;
        int shared = 0;
        int alone = 0;
        connect(&animation, &Timer::tick, [&] { animated = true; });
        connect(&graph, &Timer::tick, [&] { graphed = true; });
        setFrameEndHandler([&] {
            if (animated && graphed)
                ++shared;
            else if (shared > 0)
                ++alone;
            animated = graphed = false;
        });
        animation.setInterval(2);
        graph.setInterval(8);
        const qint64 deliveries = source.deliveries();
        const qint64 startTick = source.currentTick();
        animation.setEnabled(true);
        graph.setEnabled(true);
        QTest::qWait(300);
        animation.setEnabled(false);
        graph.setEnabled(false);
        const qint64 wakeUps = source.deliveries() - deliveries;
        QVERIFY(shared > 0);
        QCOMPARE(alone, 0);
        QVERIFY(wakeUps - shared <= 1);
        QVERIFY(wakeUps <= source.currentTick() - startTick);
    }

    // A handler that waits in the event loop (the latency probe does, for seconds) does
    // not stop the clock: the other timers keep firing meanwhile.
    void ticksKeepComingWhileAHandlerWaits() {
        Timer sampling;
        Timer animation;
        int animations = 0;
        int insideWait = 0;
        connect(&animation, &Timer::tick, [&] { ++animations; });
        connect(&sampling, &Timer::tick, [&] {
            if (insideWait > 0)
                return;
            const int before = animations;
            QTest::qWait(150);
            insideWait = std::max(1, animations - before);
            sampling.setEnabled(false);
        });
        sampling.setInterval(2);
        animation.setInterval(2);
        sampling.setEnabled(true);
        animation.setEnabled(true);
        QTRY_VERIFY_WITH_TIMEOUT(insideWait > 0, 5000);
        QVERIFY2(insideWait > 2, qPrintable(QString::number(insideWait)));
    }

    // A change outside any tick is presented once control is back in the event loop,
    // however many presenters asked.
    void aChangeOutsideATickEndsItsFrameInTheEventLoop() {
        int frames = 0;
        setFrameEndHandler([&] { ++frames; });
        requestFrameEnd();
        requestFrameEnd();
        QCOMPARE(frames, 0);
        QCoreApplication::processEvents();
        QCOMPARE(frames, 1);
        QCoreApplication::processEvents();
        QCOMPARE(frames, 1);
    }

    // Right after the loop looked at its sources, a yield delivers posted work without
    // polling them again; once a millisecond has passed, it polls (a due timer fires).
    void yieldAfterALook_data() {
        QTest::addColumn<int>("waitMs");
        QTest::newRow("right after") << 0;
        QTest::newRow("well after") << 5;
    }
    void yieldAfterALook() {
        QFETCH(int, waitMs);
        auto* dispatcher = QAbstractEventDispatcher::instance();
        QCoreApplication::processEvents();
        int polls = 0;
        const auto counting =
            connect(dispatcher, &QAbstractEventDispatcher::awake, [&] { ++polls; });
        bool posted = false;
        bool timed = false;
        QTimer::singleShot(std::chrono::milliseconds(1), Qt::PreciseTimer, [&] { timed = true; });
        QElapsedTimer since;
        noteSourcesLooked();
        since.start();
        QMetaObject::invokeMethod(
            this, [&] { posted = true; }, Qt::QueuedConnection);
        QTest::qSleep(waitMs);
        const qint64 elapsed = since.nsecsElapsed();
        doEvents();
        disconnect(counting);
        QVERIFY(posted);
        if (waitMs > 0) {
            QCOMPARE(polls, 1);
            QVERIFY(timed);
        } else if (elapsed < 500'000) {
            // Only when this machine did not stall between the two calls.
            QCOMPARE(polls, 0);
        }
        QTRY_VERIFY(timed);
    }

    void doEventsRunsPendingWork() {
        bool ran = false;
        QMetaObject::invokeMethod(
            this, [&] { ran = true; }, Qt::QueuedConnection);
        doEvents();
        QVERIFY(ran);

        int yields = 0;
        setYieldHandler([&] { ++yields; });
        doEvents();
        QCOMPARE(yields, 1);
    }
};

QTEST_GUILESS_MAIN(TestTimer)
#include "test_timer.moc"
