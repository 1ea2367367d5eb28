#include "controls/progressbar/ucprogressbar.h"

#include <QAccessible>
#include <QTest>

using namespace tarvo;

// What a screen reader is told about a gauge: a progress bar named by its caption, with
// its value and range.
class TestProgressBarAccessible final : public QObject {
    Q_OBJECT
private slots:
    void readsCaptionAndValue_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("custom");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("accessibleName");
        QTest::addColumn<QString>("name");
        // The receive gauge: its value followed by " KB/S".
        QTest::newRow("rate") << 99 << " KB/S" << 200 << 54 << QString() << "54 KB/S";
        QTest::newRow("score") << 99 << " / 1000" << 1002 << 977 << QString() << "977 / 1000";
        QTest::newRow("percent") << 2 << QString() << 200 << 50 << QString() << "25%";
        QTest::newRow("no caption") << 0 << QString() << 100 << 7 << QString() << "";
        QTest::newRow("host's name wins") << 99 << " KB/S" << 200 << 3 << "下载速度"
                                          << "下载速度";
    }
    void readsCaptionAndValue() {
        QFETCH(int, format);
        QFETCH(QString, custom);
        QFETCH(int, max);
        QFETCH(int, value);
        QFETCH(QString, accessibleName);
        QFETCH(QString, name);
        ucProgressBar bar;
        bar.setCaptionFormat(format);
        bar.setCaptionCustom(custom);
        bar.setMax(max);
        bar.setValue(value);
        bar.setAccessibleName(accessibleName);

        QAccessibleInterface* a11y = QAccessible::queryAccessibleInterface(&bar);
        QVERIFY(a11y);
        QCOMPARE(a11y->role(), QAccessible::ProgressBar);
        QCOMPARE(a11y->text(QAccessible::Name), name);
        QCOMPARE(a11y->text(QAccessible::Value), QString::number(value));
        QAccessibleValueInterface* values = a11y->valueInterface();
        QVERIFY(values);
        QCOMPARE(values->currentValue().toInt(), value);
        QCOMPARE(values->minimumValue().toInt(), 0);
        QCOMPARE(values->maximumValue().toInt(), max);
        // Read only: the host owns the value.
        values->setCurrentValue(0);
        QCOMPARE(bar.Value(), value);
    }
};

QTEST_MAIN(TestProgressBarAccessible)
#include "test_progressbaraccessible.moc"
