#include "forms/propertybag.h"
#include "runtime/errors.h"

#include <QTemporaryDir>
#include <QTest>

using namespace tarvo::forms;

class TestPropertyBag final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QImage image(175, 17, QImage::Format_RGB32);
        image.fill(Qt::red);
        m_picturePath = m_dir.filePath(QStringLiteral("bar.png"));
        QVERIFY(image.save(m_picturePath));
    }

    void keysIgnoreCaseAndKeepTheFirstSpelling() {
        PropertyBag bag;
        bag.write(QStringLiteral("CaptionCustom"), QStringLiteral(" KB/S"), QString());
        QVERIFY(bag.contains(QStringLiteral("captioncustom")));
        QCOMPARE(bag.read(QStringLiteral("CAPTIONCUSTOM"), QString()).toString(),
                 QStringLiteral(" KB/S"));
        bag.setRaw(QStringLiteral("captionCUSTOM"), QStringLiteral(" / 1000"));
        QCOMPARE(bag.size(), 1);
        const QVariantMap map = bag.toMap();
        QCOMPARE(map.keys(), QStringList{QStringLiteral("CaptionCustom")});
        QCOMPARE(map.value(QStringLiteral("CaptionCustom")).toString(), QStringLiteral(" / 1000"));
    }

    void defaultsAreNotStored() {
        PropertyBag bag;
        bag.write(QStringLiteral("Max"), 100, 100);
        bag.write(QStringLiteral("CaptionCustom"), QString(), QString());
        bag.write(QStringLiteral("Enabled"), true, true);
        QCOMPARE(bag.size(), 0);
        QCOMPARE(bag.read(QStringLiteral("Max"), 100).toInt(), 100);

        bag.write(QStringLiteral("Max"), 1002, 100);
        QCOMPARE(bag.read(QStringLiteral("max"), 100).toInt(), 1002);
        // Writing the default again must not leave the earlier value behind.
        bag.write(QStringLiteral("MAX"), 100, 100);
        QVERIFY(!bag.contains(QStringLiteral("Max")));
        QCOMPARE(bag.read(QStringLiteral("Max"), 100).toInt(), 100);
    }

    // error: 0 when the read succeeds, else the error number it must fail with.
    void readsInTheDefaultsType_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QVariant>("defaultValue");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<int>("error");
        const QVariant none;
        QTest::newRow("colour stored unsigned")
            << QVariant(2147483666.0) << QVariant(0) << QVariant(qint32(0x80000012)) << 0;
        QTest::newRow("integer from JSON double")
            << QVariant(1002.0) << QVariant(100) << QVariant(1002) << 0;
        QTest::newRow("half rounds down to even")
            << QVariant(2.5) << QVariant(7) << QVariant(2) << 0;
        QTest::newRow("half rounds up to even") << QVariant(3.5) << QVariant(7) << QVariant(4) << 0;
        QTest::newRow("negative half to even")
            << QVariant(-2.5) << QVariant(7) << QVariant(-2) << 0;
        QTest::newRow("other fractions to nearest")
            << QVariant(2.6) << QVariant(7) << QVariant(3) << 0;
        QTest::newRow("half into a 64-bit integer")
            << QVariant(2.5) << QVariant(qint64(7)) << QVariant(qint64(2)) << 0;
        QTest::newRow("numeric text for an integer")
            << QVariant(QStringLiteral(" 42 ")) << QVariant(3) << QVariant(42) << 0;
        QTest::newRow("text that is no number")
            << QVariant(QStringLiteral("abc")) << QVariant(3) << none << 380;
        QTest::newRow("map for an integer") << QVariant(QVariantMap{{QStringLiteral("a"), 1}})
                                            << QVariant(qint64(3)) << none << 380;
        QTest::newRow("too large for 32 bits") << QVariant(5e12) << QVariant(7) << none << 6;
        QTest::newRow("too small for 32 bits")
            << QVariant(-2147483649.0) << QVariant(7) << none << 6;
        QTest::newRow("boolean as -1")
            << QVariant(qlonglong(-1)) << QVariant(false) << QVariant(true) << 0;
        QTest::newRow("boolean as text")
            << QVariant(QStringLiteral("False")) << QVariant(true) << QVariant(false) << 0;
        QTest::newRow("text that is no boolean")
            << QVariant(QStringLiteral("maybe")) << QVariant(true) << none << 380;
        QTest::newRow("number for a text")
            << QVariant(2.5) << QVariant(QString()) << QVariant(QStringLiteral("2.5")) << 0;
        QTest::newRow("map for a text") << QVariant(QVariantMap{{QStringLiteral("a"), 1}})
                                        << QVariant(QString()) << none << 380;
        QTest::newRow("no default keeps the value")
            << QVariant(4.5) << QVariant() << QVariant(4.5) << 0;
    }
    void readsInTheDefaultsType() {
        QFETCH(QVariant, stored);
        QFETCH(QVariant, defaultValue);
        QFETCH(QVariant, expected);
        QFETCH(int, error);
        PropertyBag bag;
        bag.setRaw(QStringLiteral("Key"), stored);
        try {
            const QVariant value = bag.read(QStringLiteral("key"), defaultValue);
            QVERIFY2(error == 0, qPrintable(QStringLiteral("read as ") + value.toString()));
            QCOMPARE(value.metaType(), expected.metaType());
            QCOMPARE(value, expected);
        } catch (const tarvo::runtime::RuntimeError& e) {
            QCOMPARE(e.number(), error);
        }
        // An absent key still reads as its default.
        QCOMPARE(bag.read(QStringLiteral("Other"), defaultValue), defaultValue);
    }

    void picturesTravelAsTheirPath() {
        PropertyBag bag;
        const Picture none = PictureObject::none();
        bag.writePicture(QStringLiteral("BarPictureFore"), none);
        bag.writePicture(QStringLiteral("BarPictureBack"), nullptr);
        QCOMPARE(bag.size(), 0);
        QCOMPARE(bag.readPicture(QStringLiteral("BarPictureFore"), none), none);

        const Picture loaded = PictureObject::load(m_picturePath);
        QVERIFY(loaded);
        bag.writePicture(QStringLiteral("BarPictureFore"), loaded);
        QCOMPARE(bag.toMap().value(QStringLiteral("BarPictureFore")).toString(), m_picturePath);

        const Picture back = bag.readPicture(QStringLiteral("barpicturefore"), none);
        QVERIFY(back);
        QCOMPARE(back->type(), PictureType::Bitmap);
        QCOMPARE(back->sizePixels(), QSize(175, 17));
        QCOMPARE(back->source(), m_picturePath);

        // Writing the empty picture removes what was stored.
        bag.writePicture(QStringLiteral("BARPICTUREFORE"), none);
        QVERIFY(!bag.contains(QStringLiteral("BarPictureFore")));
    }

    void picturesWithoutPathStayInMemory() {
        PropertyBag bag;
        QImage image(4, 3, QImage::Format_RGB32);
        image.fill(Qt::blue);
        const Picture made = PictureObject::fromImage(image);
        bag.writePicture(QStringLiteral("MouseIcon"), made);
        QCOMPARE(bag.readPicture(QStringLiteral("MouseIcon"), nullptr), made);
    }

    void unreadablePictureReadsTheDefault() {
        PropertyBag bag;
        bag.setRaw(QStringLiteral("BarPictureBack"), m_dir.filePath(QStringLiteral("missing.gif")));
        const Picture none = PictureObject::none();
        QCOMPARE(bag.readPicture(QStringLiteral("BarPictureBack"), none), none);
        bag.setRaw(QStringLiteral("BarPictureBack"), 42);
        QCOMPARE(bag.readPicture(QStringLiteral("BarPictureBack"), none), none);
    }

    void fontsTravelAsMaps() {
        PropertyBag bag;
        const Font ambient = makeFont(FontDesc{});
        bag.writeFont(QStringLiteral("Font"), makeFont(FontDesc{}), ambient);
        QCOMPARE(bag.size(), 0); // equal description, not the same object: still the default

        FontDesc bold;
        bold.face = QStringLiteral("Tahoma");
        bold.points = 10.5;
        bold.weight = 700;
        bold.charset = CharsetAnsi;
        bold.underline = true;
        bag.writeFont(QStringLiteral("Font"), makeFont(bold), ambient);
        const QVariantMap stored = bag.toMap().value(QStringLiteral("Font")).toMap();
        QCOMPARE(stored.value(QStringLiteral("name")).toString(), QStringLiteral("Tahoma"));
        QCOMPARE(stored.value(QStringLiteral("size")).toDouble(), 10.5);
        QCOMPARE(stored.value(QStringLiteral("weight")).toInt(), 700);
        QCOMPARE(stored.value(QStringLiteral("charset")).toInt(), 0);
        QCOMPARE(stored.value(QStringLiteral("underline")).toBool(), true);
        QCOMPARE(stored.value(QStringLiteral("italic")).toBool(), false);

        const Font back = bag.readFont(QStringLiteral("FONT"), ambient);
        QVERIFY(back);
        QCOMPARE(*back, bold);

        // Fields missing from a stored map come from the default.
        bag.setRaw(QStringLiteral("Font"), QVariantMap{{QStringLiteral("weight"), 700}});
        FontDesc expected;
        expected.weight = 700;
        QCOMPARE(*bag.readFont(QStringLiteral("Font"), ambient), expected);
        QCOMPARE(bag.readFont(QStringLiteral("Other"), ambient), ambient);
    }

    void formResourceReadsOneBagPerControl() {
        const QString path = m_dir.filePath(QStringLiteral("form.json"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Lower-case keys as the form's stored instances carry them.
        const QString json =
            QStringLiteral(
                "{\"ucProgressBar(0)\": {\"captioncustom\": \" / 1000\", \"max\": 1002,"
                " \"captionformat\": 99, \"barpicturefore\": \"%1\","
                " \"barpictureback\": \":/forms/none.gif\","
                " \"font\": {\"name\": \"宋体\", \"size\": 9, \"weight\": 400, \"charset\": 134}},"
                " \"tqbutton1\": {\"Caption\": \"确定\"}, \"stray\": 5}")
                .arg(m_picturePath);
        file.write(json.toUtf8());
        file.close();

        const FormResource resource = FormResource::load(path);
        QVERIFY(resource.contains(QStringLiteral("ucprogressbar(0)")));
        QVERIFY(!resource.contains(QStringLiteral("stray")));
        QVERIFY(!resource.contains(QStringLiteral("ucProgressBar(1)")));
        QCOMPARE(resource.bag(QStringLiteral("ucProgressBar(1)")).size(), 0);

        const PropertyBag bar = resource.bag(QStringLiteral("ucProgressBar(0)"));
        QCOMPARE(bar.read(QStringLiteral("CaptionCustom"), QString()).toString(),
                 QStringLiteral(" / 1000"));
        QCOMPARE(bar.read(QStringLiteral("Max"), 100), QVariant(1002));
        QCOMPARE(bar.read(QStringLiteral("Min"), 0), QVariant(0));
        QCOMPARE(bar.read(QStringLiteral("BarPictureBack"), QVariant()).metaType().id(),
                 QMetaType::QString);
        QCOMPARE(bar.readPicture(QStringLiteral("BarPictureFore"), nullptr)->sizePixels(),
                 QSize(175, 17));
        QCOMPARE(*bar.readFont(QStringLiteral("Font"), ambientFont()), FontDesc{});
        QCOMPARE(resource.bag(QStringLiteral("TQBUTTON1"))
                     .read(QStringLiteral("caption"), QString())
                     .toString(),
                 QStringLiteral("确定"));
    }

    void unreadableResourceIsEmpty() {
        QVERIFY(!FormResource::load(m_dir.filePath(QStringLiteral("none.json")))
                     .contains(QStringLiteral("form1")));
        const QString broken = m_dir.filePath(QStringLiteral("broken.json"));
        QFile file(broken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("{\"form1\": {");
        file.close();
        QVERIFY(!FormResource::load(broken).contains(QStringLiteral("form1")));
    }

private:
    QTemporaryDir m_dir;
    QString m_picturePath;
};

QTEST_MAIN(TestPropertyBag)
#include "test_propertybag.moc"
