#include "forms/font.h"

#include <QDirIterator>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QTest>

using namespace tarvo::forms;

class TestFont final : public QObject {
    Q_OBJECT

private slots:
    void ambientFontIsSongTi() {
        const Font font = ambientFont();
        QVERIFY(font);
        QCOMPARE(font->face, QStringLiteral("宋体"));
        QCOMPARE(font->points, 9.0);
        QCOMPARE(font->weight, 400);
        QCOMPARE(font->charset, CharsetGb2312);
        QVERIFY(!font->italic && !font->underline && !font->strikeout);
        // Hosts hand out one shared description.
        QCOMPARE(ambientFont().get(), font.get());
    }

    void makeFontSharesADescription() {
        FontDesc desc;
        desc.face = QStringLiteral("Tahoma");
        desc.points = 8.25;
        const Font a = makeFont(desc);
        const Font copy = a;
        QCOMPARE(*a, desc);
        QCOMPARE(copy.get(), a.get());
        QVERIFY(makeFont(desc).get() != a.get());
    }

    void pixelSizes_data() {
        QTest::addColumn<double>("points");
        QTest::addColumn<int>("pixels");

        QTest::newRow("9 pt") << 9.0 << 12;
        QTest::newRow("7.5 pt") << 7.5 << 10;
        QTest::newRow("8.25 pt") << 8.25 << 11;
        QTest::newRow("10.5 pt") << 10.5 << 14;
        QTest::newRow("12 pt") << 12.0 << 16;
        QTest::newRow("tiny") << 0.1 << 1;
    }

    void pixelSizes() {
        QFETCH(double, points);
        QFETCH(int, pixels);
        FontDesc desc;
        desc.points = points;
        QCOMPARE(toQFont(desc).pixelSize(), pixels);
    }

    void styleCarriesOver() {
        FontDesc desc;
        desc.weight = 700;
        desc.italic = true;
        desc.underline = true;
        desc.strikeout = true;
        const QFont font = toQFont(desc);
        QCOMPARE(font.weight(), QFont::Bold);
        QVERIFY(font.italic());
        QVERIFY(font.underline());
        QVERIFY(font.strikeOut());
        QCOMPARE(font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);

        desc.weight = 0; // "don't care" draws at normal weight
        QCOMPARE(toQFont(desc).weight(), QFont::Normal);
    }

    void missingFacesFallBackToACjkFace() {
        const QFont font = toQFont(*ambientFont());
        const QStringList families = font.families();
        QCOMPARE(families.value(0), QStringLiteral("宋体"));
        QVERIFY(families.contains(QStringLiteral("WenQuanYi Micro Hei")));
        // Whatever face is chosen, Chinese text gets real glyphs, drawn without smoothing.
        QImage image(60, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(2, 15, QStringLiteral("欢迎使用"));
        }
        int ink = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                QVERIFY2(p == qRgb(0, 0, 0) || p == qRgb(255, 255, 255), "no antialiasing");
                ink += p == qRgb(0, 0, 0);
            }
        }
        QVERIFY2(ink > 40, "the glyphs are drawn, not empty boxes");
        QVERIFY(QFontMetrics(font).inFont(QChar(0x6B22)));
    }

    // The window's face, cut from the CJK face, holds every character the window's sources
    // and form write (the page helper draws with fonts of its own), draws them as the whole
    // face does, and stands in for the missing design faces.
    void interfaceFaceIsACutOfTheWholeFace() {
        const QRawFont face(QStringLiteral(":/fonts/tarvo-micro-hei.ttf"), 12);
        QStringList paths{QStringLiteral(TARVO_SOURCE_ROOT "/resources/forms/form1.json")};
        for (QDirIterator it(QStringLiteral(TARVO_SOURCE_ROOT "/src"), {"*.cpp", "*.h"},
                             QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();)
            if (const QString path = it.next(); !path.contains(QLatin1String("/webhelper/")))
                paths << path;
        QVERIFY(paths.size() > 100);
        QString missing;
        for (const QString& path : std::as_const(paths)) {
            QFile source(path);
            QVERIFY(source.open(QIODevice::ReadOnly));
            for (const QChar c : QString::fromUtf8(source.readAll()))
                if ((c.unicode() >= 0x80 || c.isPrint()) && !face.supportsCharacter(c) &&
                    !missing.contains(c))
                    missing += c;
        }
        QVERIFY2(missing.isEmpty(), qPrintable("run scripts/subset-font.py; missing: " + missing));

        QVERIFY(addInterfaceFont());
        const auto draw = [](const QString& family) {
            QFont font = toQFont(*ambientFont());
            font.setFamilies({family});
            QImage image(220, 16, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            painter.setFont(font);
            painter.drawText(2, 13, QStringLiteral("网络状态：接收数据量 1023 KB/s"));
            painter.end();
            return image;
        };
        const QImage cut = draw(QStringLiteral("Tarvo Micro Hei"));
        QCOMPARE(cut, draw(QStringLiteral("WenQuanYi Micro Hei")));
        QVERIFY(cut != draw(QStringLiteral("No Such Face"))); // not two fallbacks to one face
        if (!QFontDatabase::hasFamily(QStringLiteral("SimSun")))
            QCOMPARE(QFontInfo(toQFont(*ambientFont())).family(),
                     QStringLiteral("Tarvo Micro Hei"));
    }
};

QTEST_MAIN(TestFont)
#include "test_font.moc"
