#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace tarvo::runtime;

namespace {
// Runs body and returns the error number it raised, 0 when it raised nothing.
template <typename Body> int errorOf(Body&& body) {
    try {
        body();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);
} // namespace

class TestNumbers final : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("0.5") << 0.5 << 0;
        QTest::newRow("1.5") << 1.5 << 2;
        QTest::newRow("2.5") << 2.5 << 2;
        QTest::newRow("3.5") << 3.5 << 4;
        QTest::newRow("-0.5") << -0.5 << 0;
        QTest::newRow("-1.5") << -1.5 << -2;
        QTest::newRow("-2.5") << -2.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
        QTest::newRow("2.5001") << 2.5001 << 3;
        QTest::newRow("-2.6") << -2.6 << -3;
        QTest::newRow("87.5") << 87.5 << 88;
        QTest::newRow("32767.4") << 32767.4 << 32767;
        QTest::newRow("-32768.5") << -32768.5 << -32768;
    }
    void roundsHalvesToEven() {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(toInt16(value), qint16(expected));
        QCOMPARE(toInt32(value), qint32(expected));
        QCOMPARE(toInt64(value), qint64(expected));
    }

    // Byte totals pass 2^32 within hours: the 64-bit store keeps them whole.
    void roundsInto64Bits_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("expected"); // -1: overflow
        QTest::newRow("6 GiB and a half") << 6442450944.5 << qint64(6442450944);
        QTest::newRow("6 GiB and 1.5") << 6442450945.5 << qint64(6442450946);
        QTest::newRow("-2^63") << -9223372036854775808.0 << std::numeric_limits<qint64>::min();
        QTest::newRow("2^63") << 9223372036854775808.0 << qint64(-1);
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << qint64(-1);
    }
    void roundsInto64Bits() {
        QFETCH(double, value);
        QFETCH(qint64, expected);
        if (expected == -1)
            QCOMPARE(errorOf([&] { toInt64(value); }), 6);
        else
            QCOMPARE(toInt64(value), expected);
    }

    void raisesOverflow_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("int16Overflows");
        QTest::addColumn<bool>("int32Overflows");
        QTest::newRow("32767.5") << 32767.5 << true << false;
        QTest::newRow("-32769") << -32769.0 << true << false;
        QTest::newRow("-32768.6") << -32768.6 << true << false;
        QTest::newRow("2147483647.5") << 2147483647.5 << true << true;
        QTest::newRow("-2147483648.5") << -2147483648.5 << true << false;
        QTest::newRow("-2147483649") << -2147483649.0 << true << true;
        QTest::newRow("1e300") << 1e300 << true << true;
        QTest::newRow("inf") << std::numeric_limits<double>::infinity() << true << true;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << true << true;
    }
    void raisesOverflow() {
        QFETCH(double, value);
        QFETCH(bool, int16Overflows);
        QFETCH(bool, int32Overflows);
        QCOMPARE(errorOf([&] { toInt16(value); }), int16Overflows ? 6 : 0);
        QCOMPARE(errorOf([&] { toInt32(value); }), int32Overflows ? 6 : 0);
    }

    void narrowsIntegers() {
        QCOMPARE(narrowInt16(-32768), qint16(-32768));
        QCOMPARE(errorOf([] { narrowInt16(32768); }), 6);
        QCOMPARE(narrowInt32(2147483647LL), qint32(2147483647));
        QCOMPARE(errorOf([] { narrowInt32(-2147483649LL); }), 6);
        QCOMPARE(errorOf([] { addInt16(32767, 1); }), 6);
        QCOMPARE(errorOf([] { subInt32(std::numeric_limits<qint32>::min(), 1); }), 6);
        QCOMPARE(addInt32(2147483000, 647), qint32(2147483647));
    }

    // A dropped failure leaves a developer's trace in "tarvo.step", and only when the
    // logging rules enable it: the program writes no log of its own.
    void stepTracesDroppedFailuresOnlyWhenEnabled() {
        static QStringList seen;
        seen.clear();
        const QtMessageHandler previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& text) {
                seen << QString::fromLatin1(context.category) + QLatin1Char(' ') + text;
            });
        const auto fail = [] { raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Max")); };
        QVERIFY(!step(fail));
        QVERIFY(seen.isEmpty());
        QLoggingCategory::setFilterRules(QStringLiteral("tarvo.step.debug=true"));
        QVERIFY(!step(fail));
        QVERIFY(!step([] { throw std::bad_alloc(); }));
        QVERIFY(step([] {}));
        QLoggingCategory::setFilterRules(QString());
        qInstallMessageHandler(previous);
        QCOMPARE(seen.size(), 2);
        QVERIFY(seen[0].startsWith(QStringLiteral("tarvo.step ")));
        QVERIFY2(seen[0].contains(QStringLiteral("380: Invalid property value (Max)")),
                 qPrintable(seen[0]));
        QVERIFY2(seen[0].contains(QStringLiteral("test_numbers.cpp:")), qPrintable(seen[0]));
        QVERIFY2(seen[1].contains(QStringLiteral("bad_alloc")), qPrintable(seen[1]));
    }

    void stepAbandonsAFailingStep() {
        int reached = 0;
        QVERIFY(!step([&] {
            toInt16(40000.0);
            reached = 1;
        }));
        QCOMPARE(reached, 0);
        QVERIFY(step([&] { reached = 2; }));
        QCOMPARE(reached, 2);
        try {
            raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Max"));
            QFAIL("raise returned");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.code(), ErrorCode::InvalidPropertyValue);
            QCOMPARE(e.number(), 380);
            QCOMPARE(e.detail(), QStringLiteral("Max"));
            QVERIFY(QByteArray(e.what()).startsWith("380"));
        }
    }

    void formatsPatterns_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        const QString grouped = QStringLiteral("###,###,###,###,##0");
        QTest::newRow("group 1234") << 1234.0 << grouped << "1,234";
        QTest::newRow("group 0") << 0.0 << grouped << "0";
        QTest::newRow("group 0.4") << 0.4 << grouped << "0";
        QTest::newRow("group 999.5") << 999.5 << grouped << "1,000";
        QTest::newRow("group 1234567890.49") << 1234567890.49 << grouped << "1,234,567,890";
        QTest::newRow("group 100000") << 100000.0 << grouped << "100,000";
        QTest::newRow("group -1234.5") << -1234.5 << grouped << "-1,235";
        QTest::newRow("group 2.5 away") << 2.5 << grouped << "3";
        QTest::newRow("0 of 0.5") << 0.5 << "0"
                                  << "1";
        QTest::newRow("0 of -0.5") << -0.5 << "0"
                                   << "-1";
        QTest::newRow("0 of -0.4") << -0.4 << "0"
                                   << "0";
        QTest::newRow("0 of 9.5") << 9.5 << "0"
                                  << "10";
        QTest::newRow("0% of 0.5") << 0.5 << "0%"
                                   << "50%";
        QTest::newRow("0% of 0.125") << 0.125 << "0%"
                                     << "13%";
        QTest::newRow("0% of 37/300") << 37.0 / 300 << "0%"
                                      << "12%";
        QTest::newRow("0.0% of 0.12333") << 0.12333 << "0.0%"
                                         << "12.3%";
        QTest::newRow("0.0% of 0") << 0.0 << "0.0%"
                                   << "0.0%";
        QTest::newRow("0.0% of 1") << 1.0 << "0.0%"
                                   << "100.0%";
        QTest::newRow("0.0% of 0.9999") << 0.9999 << "0.0%"
                                        << "100.0%";
        QTest::newRow("0.0% of 0.0004") << 0.0004 << "0.0%"
                                        << "0.0%";
        QTest::newRow("0.0% of 0.0005") << 0.0005 << "0.0%"
                                        << "0.1%";
        QTest::newRow("0.00% of 37/300") << 37.0 / 300 << "0.00%"
                                         << "12.33%";
        QTest::newRow("0.00% of 0.125") << 0.125 << "0.00%"
                                        << "12.50%";
        QTest::newRow("0.00% of 0.0012345") << 0.0012345 << "0.00%"
                                            << "0.12%";
        QTest::newRow("0.00% of 0.00125") << 0.00125 << "0.00%"
                                          << "0.13%";
        QTest::newRow("0.00% of -0.5") << -0.5 << "0.00%"
                                       << "-50.00%";
        QTest::newRow("0.00% of 1.5") << 1.5 << "0.00%"
                                      << "150.00%";
        // The decimal form is rounded, not the slightly smaller binary fraction.
        QTest::newRow("0.00 of 2.675") << 2.675 << "0.00"
                                       << "2.68";
        QTest::newRow("0.00 of 1.005") << 1.005 << "0.00"
                                       << "1.01";
        QTest::newRow("0.00 of 0.125") << 0.125 << "0.00"
                                       << "0.13";
        QTest::newRow("literal suffix") << 12.0 << "0 KB"
                                        << "12 KB";
    }
    void formatsPatterns() {
        QFETCH(double, value);
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        QCOMPARE(formatPattern(value, pattern, english), expected);
    }

    void formatUsesTheLocaleSeparators() {
        QCOMPARE(formatPattern(1234567.0, u"###,###,###,###,##0", german),
                 QStringLiteral("1.234.567"));
        QCOMPARE(formatPattern(0.12333, u"0.0%", german), QStringLiteral("12,3%"));
        QCOMPARE(formatPattern(1234567.0, u"###,###,###,###,##0", QLocale::c()),
                 QStringLiteral("1,234,567"));
    }

    void writesSingles_data() {
        QTest::addColumn<float>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("4.5") << 4.5f << "4.5";
        QTest::newRow("4") << 4.0f << "4";
        QTest::newRow("0.1f") << 0.1f << "0.1";
        QTest::newRow("100") << 100.0f << "100";
        QTest::newRow("0") << 0.0f << "0";
        QTest::newRow("-0") << -0.0f << "0";
        QTest::newRow("-2.25") << -2.25f << "-2.25";
        QTest::newRow("1/3") << 1.0f / 3.0f << "0.3333333";
        QTest::newRow("2/3") << 2.0f / 3.0f << "0.6666667";
        QTest::newRow("ratio x 200") << 0.123456f * 200.0f << "24.6912";
        QTest::newRow("199.99999") << 199.99999f << "200";
        QTest::newRow("1234567") << 1234567.0f << "1234567";
        QTest::newRow("12345678") << 12345678.0f << "1.234568E+07";
        QTest::newRow("0.00001") << 0.00001f << "0.00001";
        QTest::newRow("1/30") << 1.0f / 30.0f << "3.333334E-02";
    }
    void writesSingles() {
        QFETCH(float, value);
        QFETCH(QString, expected);
        QCOMPARE(singleToText(value, english), expected);
    }

    void writesDoubles_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("45/10") << 45 / 10.0 << "4.5";
        QTest::newRow("40/10") << 40 / 10.0 << "4";
        QTest::newRow("0.1") << 0.1 << "0.1";
        QTest::newRow("0.1+0.2") << 0.1 + 0.2 << "0.3";
        QTest::newRow("1/3") << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("100") << 100.0 << "100";
        QTest::newRow("123456789012345") << 123456789012345.0 << "123456789012345";
        QTest::newRow("1e15") << 1e15 << "1E+15";
        QTest::newRow("-7.25") << -7.25 << "-7.25";
    }
    void writesDoubles() {
        QFETCH(double, value);
        QFETCH(QString, expected);
        QCOMPARE(doubleToText(value, english), expected);
    }

    void textUsesTheLocaleDecimalSeparator() {
        QCOMPARE(singleToText(4.5f, german), QStringLiteral("4,5"));
        QCOMPARE(doubleToText(0.25, german), QStringLiteral("0,25"));
    }
};

QTEST_GUILESS_MAIN(TestNumbers)
#include "test_numbers.moc"
