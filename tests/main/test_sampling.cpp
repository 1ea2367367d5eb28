#include "main/sampling.h"

#include "runtime/errors.h"

#include <QTest>

using namespace tarvo;
using namespace tarvo::sampling;

namespace {

// The gauges' scales: the rate gauges run to 200 KB/s, the latency gauge to 1002.
constexpr int RateMax = 200;
constexpr int LatencyMax = 1002;

} // namespace

class TestSampling final : public QObject {
    Q_OBJECT

private slots:
    void kilobytesRoundHalvesToEven_data() {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<qint64>("kb");
        const qint64 GiB = qint64(1) << 30;
        QTest::newRow("nothing") << qint64(0) << qint64(0);
        QTest::newRow("below a half") << qint64(511) << qint64(0);
        QTest::newRow("half to even 0") << qint64(512) << qint64(0);
        QTest::newRow("above a half") << qint64(513) << qint64(1);
        QTest::newRow("1.5 to even 2") << qint64(1536) << qint64(2);
        QTest::newRow("2.5 to even 2") << qint64(2560) << qint64(2);
        QTest::newRow("3.5 to even 4") << qint64(3584) << qint64(4);
        QTest::newRow("1,234 KB") << qint64(1263616) << qint64(1234);
        QTest::newRow("past 2^31 bytes") << 2 * GiB + 1024 << qint64(2097153);
        QTest::newRow("past 2^32 bytes") << 4 * GiB + 3 * 512 << qint64(4194306);
        QTest::newRow("6 GiB") << 6 * GiB << qint64(6291456);
        QTest::newRow("past 2^53 bytes, exact")
            << (qint64(1) << 60) + 1024 * 3 + 513 << (qint64(1) << 50) + 4;
    }
    void kilobytesRoundHalvesToEven() {
        QFETCH(qint64, bytes);
        QFETCH(qint64, kb);
        QCOMPARE(kilobytes(bytes), kb);
    }

    // A rate on the scale is the target; at or above Max the gauge shows full; a
    // negative difference is no rate and brings the gauge to 0.
    void rateTargets_data() {
        QTest::addColumn<qint64>("rate");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("target");
        QTest::newRow("0") << qint64(0) << RateMax << 0;
        QTest::newRow("60") << qint64(60) << RateMax << 60;
        QTest::newRow("199, the top of the scale") << qint64(199) << RateMax << 199;
        QTest::newRow("200, at Max") << qint64(200) << RateMax << 199;
        QTest::newRow("201") << qint64(201) << RateMax << 199;
        QTest::newRow("beyond 16 bits") << qint64(5000000000) << RateMax << 199;
        QTest::newRow("-1") << qint64(-1) << RateMax << 0;
        QTest::newRow("a reset of 60 GB") << qint64(-60000000) << RateMax << 0;
        QTest::newRow("another scale") << qint64(1500) << LatencyMax << 1001;
    }
    void rateTargets() {
        QFETCH(qint64, rate);
        QFETCH(int, max);
        QFETCH(int, target);
        QCOMPARE(int(rateTarget(rate, max)), target);
    }

    void startBounds_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<bool>("rateFits");
        QTest::addColumn<bool>("latencyFits");
        QTest::newRow("0") << 0 << true << true;
        QTest::newRow("199 up") << 199 << true << true;
        QTest::newRow("199 down") << -199 << true << true;
        QTest::newRow("200 up") << 200 << false << true;
        QTest::newRow("200 down") << -200 << false << true;
        QTest::newRow("1002") << 1002 << false << true;
        QTest::newRow("-1002") << -1002 << false << true;
        QTest::newRow("1003") << 1003 << false << false;
        QTest::newRow("-32768") << -32768 << false << false;
    }
    void startBounds() {
        QFETCH(int, steps);
        QFETCH(bool, rateFits);
        QFETCH(bool, latencyFits);
        QCOMPARE(rateStartFits(qint16(steps), RateMax), rateFits);
        QCOMPARE(latencyStartFits(qint16(steps), LatencyMax), latencyFits);
    }

    void oneAnimationStep_data() {
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("nextSteps");
        QTest::addColumn<int>("nextValue");
        QTest::addColumn<bool>("busy");
        QTest::newRow("up") << 5 << 10 << RateMax << 4 << 11 << true;
        QTest::newRow("down") << -4 << 10 << RateMax << -3 << 9 << true;
        QTest::newRow("last step up") << 1 << 4 << RateMax << 0 << 5 << true;
        QTest::newRow("no steps left: idle") << 0 << 7 << RateMax << 0 << 7 << false;
        QTest::newRow("held at Max") << 3 << 200 << RateMax << 2 << 200 << true;
        QTest::newRow("up to Max") << 3 << 199 << RateMax << 2 << 200 << true;
        QTest::newRow("held at Min") << -3 << 0 << RateMax << -2 << 0 << true;
        QTest::newRow("latency held at 1002") << 6 << 1002 << LatencyMax << 5 << 1002 << true;
        QTest::newRow("latency up to 1002") << 6 << 1001 << LatencyMax << 5 << 1002 << true;
    }
    void oneAnimationStep() {
        QFETCH(int, steps);
        QFETCH(int, value);
        QFETCH(int, max);
        QFETCH(int, nextSteps);
        QFETCH(int, nextValue);
        QFETCH(bool, busy);
        const BarMotion next = animationStep({qint16(steps), value, true}, 0, max);
        QCOMPARE(next, (BarMotion{qint16(nextSteps), nextValue, busy}));
    }

    // An animation of n steps ends after n ticks and one more, wherever the bounds
    // hold the bar.
    void animationTakesStepsPlusOne_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("to");
        QTest::newRow("up") << 0 << 5 << RateMax << 5;
        QTest::newRow("down") << 10 << -4 << RateMax << 6;
        QTest::newRow("no change") << 300 << 0 << LatencyMax << 300;
        QTest::newRow("held at Max") << 198 << 5 << RateMax << 200;
        QTest::newRow("held at Min") << 2 << -5 << RateMax << 0;
        QTest::newRow("latency held at 1002") << 1000 << 6 << LatencyMax << 1002;
    }
    void animationTakesStepsPlusOne() {
        QFETCH(int, from);
        QFETCH(int, steps);
        QFETCH(int, max);
        QFETCH(int, to);
        BarMotion motion{qint16(steps), from, true};
        int ticks = 0;
        while (motion.busy && ticks < 5000) {
            motion = animationStep(motion, 0, max);
            ++ticks;
        }
        QCOMPARE(ticks, std::abs(steps) + 1);
        QCOMPARE(motion.value, to);
        QCOMPARE(int(motion.steps), 0);
    }
};

QTEST_MAIN(TestSampling)
#include "test_sampling.moc"
