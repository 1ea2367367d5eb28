#include "runtime/codepage.h"

#include <QTest>

using namespace tarvo::runtime;

class TestCodepage final : public QObject {
    Q_OBJECT
private slots:
    void convertsChineseTextBothWays() {
        const QString text = QStringLiteral("欢迎使用Tarvo");
        const QByteArray bytes = toAnsi(text);
        // Each of the four Chinese characters takes two bytes, each ASCII letter one.
        QCOMPARE(bytes.size(), 4 * 2 + 5);
        QCOMPARE(bytes.left(2), QByteArray("\xbb\xb6")); // 欢 in code page 936
        QVERIFY(bytes.endsWith("Tarvo"));
        QCOMPARE(fromAnsi(bytes), text);
    }

    void unmappableCharactersBecomeQuestionMarks() {
        QCOMPARE(toAnsi(u"a\u0E01b"), QByteArray("a?b")); // a Thai letter has no GBK form
    }

    // Bytes that form no character show as U+FFFD, one each, and the rest is read on.
    void badBytesBecomeReplacements_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("lead byte before a newline")
            << QByteArray("a\xC4\nb") << QStringLiteral("a\uFFFD\nb");
        QTest::newRow("lead byte before 0x7F")
            << QByteArray("a\x81\x7F") << QStringLiteral("a\uFFFD\x7F");
        QTest::newRow("lead byte at the end") << QByteArray("ab\xC4") << QStringLiteral("ab\uFFFD");
        QTest::newRow("two-byte character at the end")
            << QByteArray("a\xC4\xE3") << QStringLiteral("a\u4F60");
    }
    void badBytesBecomeReplacements() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(fromAnsi(bytes), text);
    }

    // A text cut inside a two-byte character leaves nothing behind for the next one.
    void eachConversionStartsAfresh() {
        fromAnsi(QByteArray("\xC4", 1));
        QCOMPARE(fromAnsi("A"), QStringLiteral("A"));
        toAnsi(QString(QChar(0xD83D))); // a lone surrogate half
        QCOMPARE(toAnsi(QStringLiteral("A")), QByteArray("A"));
    }

    void keepsZeroBytes() {
        const QByteArray field("ab\0\0c", 5);
        const QString text = fromAnsi(field);
        QCOMPARE(text.size(), 5);
        QCOMPARE(text.at(2), QChar(0));
        QCOMPARE(toAnsi(text), field);
    }

    void cutsFieldsAtBytes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maxBytes");
        QTest::addColumn<int>("expectedBytes");
        const QString ascii127 = QString(127, u'a');
        QTest::newRow("127 ASCII + NUL fits 128") << ascii127 + QChar(0) << 128 << 128;
        QTest::newRow("200 ASCII cut at 128") << QString(200, u'b') << 128 << 128;
        QTest::newRow("64 Chinese fill 128") << QString(64, QChar(0x4E2D)) << 128 << 128;
        QTest::newRow("65 Chinese cut at 128") << QString(65, QChar(0x4E2D)) << 128 << 128;
        // One ASCII letter first: the 64th Chinese character would straddle the cut.
        QTest::newRow("odd offset drops the lead byte")
            << u'x' + QString(70, QChar(0x4E2D)) << 128 << 127;
        QTest::newRow("zero bytes") << QStringLiteral("abc") << 0 << 0;
        QTest::newRow("negative") << QStringLiteral("abc") << -5 << 0;
        QTest::newRow("short text untouched") << QStringLiteral("请检查网络") << 128 << 10;
        QTest::newRow("one byte, first is Chinese") << QStringLiteral("中a") << 1 << 0;
    }
    void cutsFieldsAtBytes() {
        QFETCH(QString, text);
        QFETCH(int, maxBytes);
        QFETCH(int, expectedBytes);
        const QByteArray field = toAnsiField(text, maxBytes);
        QCOMPARE(field.size(), expectedBytes);
        // Whatever was kept is a whole prefix of the text: no half character, no U+FFFD.
        const QString back = fromAnsi(field);
        QVERIFY(!back.contains(QChar::ReplacementCharacter));
        QVERIFY2(text.startsWith(back), qPrintable(back));
    }
};

QTEST_GUILESS_MAIN(TestCodepage)
#include "test_codepage.moc"
