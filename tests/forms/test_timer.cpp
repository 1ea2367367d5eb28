#include "forms/timer.h"
#include "forms/yield.h"
#include "runtime/errors.h"

#include <QSignalSpy>
#include <QTest>

using namespace tarvo::runtime;
using namespace tarvo::forms;

class TestTimer final : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setYieldHandler({}); }

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
