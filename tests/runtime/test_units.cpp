#include "runtime/units.h"

#include <QTest>

using namespace tarvo::runtime;

class TestUnits final : public QObject {
    Q_OBJECT
private slots:
    void twipsToPixelsHalvesToEven_data() {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("pixels");
        QTest::newRow("0") << 0 << 0;
        QTest::newRow("15") << 15 << 1;
        QTest::newRow("7 (0.47)") << 7 << 0;
        QTest::newRow("8 (0.53)") << 8 << 1;
        QTest::newRow("22 (1.47)") << 22 << 1;
        QTest::newRow("23 (1.53)") << 23 << 2;
        QTest::newRow("10920 width") << 10920 << 728;
        QTest::newRow("-8") << -8 << -1;
    }
    void twipsToPixelsHalvesToEven() {
        QFETCH(int, twips);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips), pixels);
        QCOMPARE(pixelsToTwips(pixels), pixels * 15);
    }

    void himetricConversions_data() {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("himetric");
        QTest::newRow("175") << 175 << 4630;
        QTest::newRow("17") << 17 << 450;
        QTest::newRow("96") << 96 << 2540;
        QTest::newRow("12 is a half, away from zero") << 12 << 318;
        QTest::newRow("1") << 1 << 26;
        QTest::newRow("-12") << -12 << -318;
    }
    void himetricConversions() {
        QFETCH(int, pixels);
        QFETCH(int, himetric);
        QCOMPARE(pixelsToHimetric(pixels), himetric);
        QCOMPARE(himetricToPixels(QSize(himetric, himetric)), QSize(pixels, pixels));
    }

    void himetricToPixelsIsExact() {
        QCOMPARE(himetricToPixels(2540.0), 96.0);
        QCOMPARE(himetricToPixels(4630.0), 4630.0 * 96 / 2540);
        // 635 HIMETRIC is 24 pixels exactly; 26.458 is one pixel and rounds from 26 and 27.
        QCOMPARE(himetricToPixels(QSize(635, 26)), QSize(24, 1));
        QCOMPARE(himetricToPixels(QSize(13, 14)), QSize(0, 1));
    }
};

QTEST_GUILESS_MAIN(TestUnits)
#include "test_units.moc"
