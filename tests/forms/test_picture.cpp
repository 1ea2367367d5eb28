#include "forms/picture.h"
#include "support/pngbytes.h"

#include <QBuffer>
#include <QFile>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace tarvo::forms;

namespace {

QImage solid(int w, int h, QColor colour, QImage::Format format = QImage::Format_RGB32) {
    QImage image(w, h, format);
    image.fill(colour);
    return image;
}

// An icon file holding several sizes, each stored as PNG as modern icon files do.
QByteArray iconFile(const QList<QImage>& images) {
    QByteArray header(6, '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(quint16(images.size()), header.data() + 4);
    QByteArray directory;
    QByteArray data;
    const int dataStart = 6 + 16 * int(images.size());
    for (const QImage& image : images) {
        const QByteArray bytes = tarvo::testing::pngBytes(image);
        QByteArray entry(16, '\0');
        entry[0] = char(image.width() % 256);
        entry[1] = char(image.height() % 256);
        qToLittleEndian<quint16>(1, entry.data() + 4);
        qToLittleEndian<quint16>(32, entry.data() + 6);
        qToLittleEndian<quint32>(quint32(bytes.size()), entry.data() + 8);
        qToLittleEndian<quint32>(quint32(dataStart + data.size()), entry.data() + 12);
        directory += entry;
        data += bytes;
    }
    return header + directory + data;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace

class TestPicture final : public QObject {
    Q_OBJECT

private slots:
    void himetricSizes_data() {
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QSize>("himetric");

        QTest::newRow("progress bar") << QSize(175, 17) << QSize(4630, 450);
        QTest::newRow("icon") << QSize(32, 16) << QSize(847, 423);
        QTest::newRow("one pixel") << QSize(1, 96) << QSize(26, 2540);
    }

    void himetricSizes() {
        QFETCH(QSize, pixels);
        QFETCH(QSize, himetric);
        const Picture picture =
            PictureObject::fromImage(solid(pixels.width(), pixels.height(), Qt::red));
        QCOMPARE(picture->sizePixels(), pixels);
        QCOMPARE(picture->sizeHimetric(), himetric);
    }

    void emptyIsNotMissing() {
        const Picture none = PictureObject::none();
        QVERIFY(none != nullptr);
        QCOMPARE(none->type(), PictureType::None);
        QCOMPARE(none->handle(), quintptr(0));
        QCOMPARE(none->sizeHimetric(), QSize(0, 0));
        QVERIFY(none->image().isNull());
        QVERIFY(isEmpty(none));
        QVERIFY(isEmpty(Picture()));
        QVERIFY(!isEmpty(PictureObject::fromImage(solid(2, 2, Qt::red))));
        // A null image makes an empty picture, not a bitmap without pixels.
        QCOMPARE(PictureObject::fromImage(QImage())->type(), PictureType::None);
        QCOMPARE(PictureObject::fromIcon(QIcon())->type(), PictureType::None);
    }

    void handlesAreUniqueAndStable() {
        const Picture a = PictureObject::fromImage(solid(2, 2, Qt::red));
        const Picture b = PictureObject::fromImage(solid(2, 2, Qt::red));
        QVERIFY(a->handle() != 0);
        QVERIFY(b->handle() != 0);
        QVERIFY(a->handle() != b->handle());
        const Picture shared = a;
        QCOMPARE(shared->handle(), a->handle());
        // A freed picture's handle is not given to the next one.
        const quintptr old = b->handle();
        Picture c;
        {
            Picture gone = PictureObject::fromImage(solid(2, 2, Qt::blue));
            const quintptr goneHandle = gone->handle();
            gone.reset();
            c = PictureObject::fromImage(solid(2, 2, Qt::blue));
            QVERIFY(c->handle() != goneHandle);
        }
        QVERIFY(c->handle() != old);
    }

    void imagesKeepTwoFormats_data() {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("stored");

        QTest::newRow("rgb888") << int(QImage::Format_RGB888) << int(QImage::Format_RGB32);
        QTest::newRow("indexed") << int(QImage::Format_Indexed8) << int(QImage::Format_RGB32);
        QTest::newRow("argb32") << int(QImage::Format_ARGB32)
                                << int(QImage::Format_ARGB32_Premultiplied);
        QTest::newRow("rgb32") << int(QImage::Format_RGB32) << int(QImage::Format_RGB32);
    }

    void imagesKeepTwoFormats() {
        QFETCH(int, input);
        QFETCH(int, stored);
        QImage image = solid(3, 3, QColor(40, 80, 120), QImage::Format_RGB32)
                           .convertToFormat(QImage::Format(input));
        const Picture picture = PictureObject::fromImage(image, QStringLiteral(":/x.gif"));
        QCOMPARE(int(picture->image().format()), stored);
        QCOMPARE(picture->image().pixelColor(1, 1), QColor(40, 80, 120));
        QCOMPARE(picture->type(), PictureType::Bitmap);
        QCOMPARE(picture->source(), QStringLiteral(":/x.gif"));
    }

    // A bitmap of few colours is held as a palette until its image is asked for.
    void fewColouredBitmapIsHeldAsAPalette() {
        QImage source(9, 4, QImage::Format_RGB32);
        source.fill(Qt::red);
        source.setPixelColor(2, 3, Qt::green);
        source.setPixelColor(8, 0, Qt::blue);
        const Picture picture = PictureObject::fromImage(source);
        QCOMPARE(picture->pixels().format(), QImage::Format_Indexed8);
        QCOMPARE(picture->sizePixels(), QSize(9, 4));
        QCOMPARE(picture->image(), source);
        QCOMPARE(picture->pixels().constBits(), picture->image().constBits());
    }

    void loadsIconFileAsIcon() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("tray.ico"));
        QVERIFY(writeFile(path, iconFile({solid(16, 16, Qt::red, QImage::Format_ARGB32),
                                          solid(32, 32, Qt::blue, QImage::Format_ARGB32),
                                          solid(24, 24, Qt::green, QImage::Format_ARGB32)})));
        const Picture picture = PictureObject::load(path);
        QVERIFY(picture);
        QCOMPARE(picture->type(), PictureType::Icon);
        QVERIFY(picture->handle() != 0);
        // The picture shows the largest image; the icon keeps every size.
        QCOMPARE(picture->sizePixels(), QSize(32, 32));
        QCOMPARE(picture->sizeHimetric(), QSize(847, 847));
        QCOMPARE(picture->image().pixelColor(5, 5), QColor(Qt::blue));
        QCOMPARE(picture->icon().availableSizes().size(), 3);
        QCOMPARE(picture->source(), path);
    }

    void loadsOtherFilesAsBitmaps_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow("png") << "bar.png" << QByteArray("PNG");
        QTest::newRow("bmp") << "bar.bmp" << QByteArray("BMP");
        QTest::newRow("png named like a gif") << "bar.gif" << QByteArray("PNG");
    }

    void loadsOtherFilesAsBitmaps() {
        QFETCH(QString, name);
        QFETCH(QByteArray, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QVERIFY(solid(175, 17, QColor(0, 128, 255)).save(path, format.constData()));
        const Picture picture = PictureObject::load(path);
        QVERIFY(picture);
        QCOMPARE(picture->type(), PictureType::Bitmap);
        QCOMPARE(picture->sizeHimetric(), QSize(4630, 450));
        QCOMPARE(picture->image().pixelColor(100, 10), QColor(0, 128, 255));
    }

    void unreadablePathsGiveNoPicture() {
        QTemporaryDir dir;
        QVERIFY(!PictureObject::load(QString()));
        QVERIFY(!PictureObject::load(dir.filePath(QStringLiteral("missing.gif"))));
        const QString garbage = dir.filePath(QStringLiteral("broken.ico"));
        QVERIFY(writeFile(garbage, QByteArray("not an icon at all")));
        QVERIFY(!PictureObject::load(garbage));
    }

    void iconFromQIconTakesLargestSize() {
        QIcon icon;
        icon.addPixmap(QPixmap::fromImage(solid(16, 16, Qt::red)));
        icon.addPixmap(QPixmap::fromImage(solid(48, 48, Qt::green)));
        const Picture picture = PictureObject::fromIcon(icon);
        QCOMPARE(picture->type(), PictureType::Icon);
        QCOMPARE(picture->sizePixels(), QSize(48, 48));
        QCOMPARE(picture->image().pixelColor(0, 0), QColor(Qt::green));
    }
};

QTEST_MAIN(TestPicture)
#include "test_picture.moc"
