#include "forms/surface.h"
#include "forms/surfacewidget.h"

#include <QApplication>
#include <QTest>

#include <utility>

using namespace tarvo::forms;

namespace {

constexpr OleColor Red = rgb(255, 0, 0);
constexpr OleColor Blue = rgb(0, 0, 255);

Picture solidPicture(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return PictureObject::fromImage(image);
}

// A picture whose every pixel differs, so scaling or shifting shows.
Picture patternPicture(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 9 % 256, y * 23 % 256, 77));
    return PictureObject::fromImage(image);
}

int countColour(const QImage& image, const QRect& area, QColor colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

bool rowHasInk(const QImage& image, int y, QColor background) {
    for (int x = 0; x < image.width(); ++x)
        if (image.pixelColor(x, y) != background)
            return true;
    return false;
}

} // namespace

class TestSurface final : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheBackColour() {
        Surface surface(QSize(20, 10));
        QCOMPARE(surface.scaleWidth(), 20);
        QCOMPARE(surface.scaleHeight(), 10);
        QCOMPARE(surface.backColor(), syscolour::ButtonFace);
        QCOMPARE(surface.image().pixelColor(19, 9), toQColor(syscolour::ButtonFace));
        QCOMPARE(*surface.font(), *ambientFont());
    }

    void clsRestoresTheBackgroundPicture() {
        Surface surface(QSize(20, 10));
        surface.setBackColor(Red);
        surface.setPicture(solidPicture(12, 6, Qt::blue));
        QCOMPARE(surface.image().pixelColor(11, 5), QColor(Qt::blue));
        QCOMPARE(surface.image().pixelColor(12, 5), QColor(Qt::red));

        surface.image().fill(Qt::green);
        surface.setCurrentX(7);
        surface.setCurrentY(3);
        surface.cls();
        QCOMPARE(countColour(surface.image(), QRect(0, 0, 12, 6), Qt::blue), 12 * 6);
        QCOMPARE(countColour(surface.image(), QRect(0, 0, 20, 10), Qt::red), 200 - 12 * 6);
        QCOMPARE(surface.currentX(), 0.0);
        QCOMPARE(surface.currentY(), 0.0);
    }

    void transparentBackgroundShowsTheBackColour() {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        image.setPixelColor(1, 1, Qt::blue);
        Surface surface(QSize(4, 4));
        surface.setBackColor(Red);
        surface.setPicture(PictureObject::fromImage(image));
        QCOMPARE(surface.image().pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(surface.image().pixelColor(2, 2), QColor(Qt::red));
    }

    void printMovesToTheNextLine() {
        Surface surface(QSize(120, 60));
        surface.setBackColor(rgb(255, 255, 255));
        surface.setForeColor(rgb(0, 0, 0));
        const double line = surface.textHeight(QString());
        QVERIFY(line > 0);
        QCOMPARE(surface.textHeight(QStringLiteral("a\r\nb")), 2 * line);

        surface.setCurrentX(30);
        surface.setCurrentY(5);
        surface.print(QStringLiteral("501 / 1000"));
        QCOMPARE(surface.currentY(), 5 + line);
        QCOMPARE(surface.currentX(), 0.0);
        // The text went to the text position, in the fore colour.
        int inkLeft = 120;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 120; ++x) {
                const QColor c = surface.image().pixelColor(x, y);
                QVERIFY2(c == Qt::white || c == Qt::black, "no antialiasing");
                if (c == Qt::black) {
                    QVERIFY(y >= 5 && y < 5 + line);
                    inkLeft = qMin(inkLeft, x);
                }
            }
        }
        QVERIFY(inkLeft >= 30 && inkLeft <= 33);

        surface.print(QStringLiteral("a\r\nb"));
        QCOMPARE(surface.currentY(), 5 + 3 * line);
        QVERIFY(rowHasInk(surface.image(), int(5 + line + line / 2), Qt::white));
    }

    void textWidthIsTheWidestLine() {
        Surface surface(QSize(10, 10));
        const double wide = surface.textWidth(QStringLiteral("WWWW"));
        QVERIFY(wide > surface.textWidth(QStringLiteral("WW")));
        QCOMPARE(surface.textWidth(QStringLiteral("WW\r\nWWWW\nW")), wide);
        QCOMPARE(surface.textWidth(QString()), 0.0);
    }

    void fontChangesTheLineHeight() {
        Surface surface(QSize(10, 10));
        const double small = surface.textHeight(QString());
        FontDesc big;
        big.points = 18;
        surface.setFont(makeFont(big));
        QVERIFY(surface.textHeight(QString()) > small);
        surface.setFont(nullptr); // no font: back to the ambient one
        QCOMPARE(surface.textHeight(QString()), small);
    }

    void paintPictureCutsWithoutScaling() {
        const Picture picture = patternPicture(20, 10);
        Surface surface(QSize(30, 15));
        surface.setBackColor(Red);
        surface.paintPicture(picture, QPoint(3, 2), QRect(5, 1, 6, 4));
        for (int y = 0; y < 15; ++y) {
            for (int x = 0; x < 30; ++x) {
                const bool inside = x >= 3 && x < 9 && y >= 2 && y < 6;
                const QColor want =
                    inside ? picture->image().pixelColor(x - 3 + 5, y - 2 + 1) : QColor(Qt::red);
                QCOMPARE(surface.image().pixelColor(x, y), want);
            }
        }
        // Empty pictures and empty parts draw nothing.
        const QImage before = surface.image().copy();
        surface.paintPicture(PictureObject::none(), QPoint(0, 0), QRect(0, 0, 5, 5));
        surface.paintPicture(nullptr, QPoint(0, 0), QRect(0, 0, 5, 5));
        surface.paintPicture(picture, QPoint(0, 0), QRect(0, 0, 0, 5));
        QCOMPARE(surface.image(), before);
    }

    void lineLeavesTheEndPoint() {
        Surface surface(QSize(10, 10));
        surface.setBackColor(rgb(255, 255, 255));
        surface.line(QPoint(1, 4), QPoint(6, 4), Blue);
        QCOMPARE(countColour(surface.image(), QRect(0, 0, 10, 10), Qt::blue), 5);
        QCOMPARE(surface.image().pixelColor(6, 4), QColor(Qt::white));
    }

    void refreshHandsTheDirtyRegionOnce() {
        Surface surface(QSize(40, 20));
        QList<QRegion> presented;
        surface.setPresenter([&](const QRegion& r) { presented << r; });
        surface.refresh(); // a new surface has not been drawn on
        QCOMPARE(presented.size(), 0);

        surface.line(QPoint(2, 3), QPoint(8, 3), Blue);
        surface.paintPicture(solidPicture(4, 4, Qt::red), QPoint(30, 10), QRect(0, 0, 4, 4));
        surface.refresh();
        QCOMPARE(presented.size(), 1);
        QVERIFY(presented[0].contains(QRect(2, 3, 6, 1)));
        QVERIFY(presented[0].contains(QRect(30, 10, 4, 4)));
        QVERIFY(!presented[0].contains(QPoint(20, 15)));

        surface.refresh(); // nothing new: nothing presented
        QCOMPARE(presented.size(), 1);

        surface.cls();
        surface.markDirty(QRect(-5, -5, 100, 100)); // clipped, already covered
        surface.refresh();
        QCOMPARE(presented.size(), 2);
        QCOMPARE(presented[1], QRegion(0, 0, 40, 20));
    }

    void refreshWithoutPresenterForgetsTheRegion() {
        Surface surface(QSize(10, 10));
        surface.cls();
        surface.refresh();
        int calls = 0;
        surface.setPresenter([&](const QRegion&) { ++calls; });
        surface.refresh();
        QCOMPARE(calls, 0);
    }

    void resizeKeepsTheTopLeft() {
        Surface surface(QSize(10, 10));
        surface.setBackColor(Red);
        surface.image().setPixelColor(9, 9, Qt::green);
        surface.resize(QSize(14, 12));
        QCOMPARE(surface.size(), QSize(14, 12));
        QCOMPARE(surface.image().pixelColor(9, 9), QColor(Qt::green));
        QCOMPARE(surface.image().pixelColor(13, 11), QColor(Qt::red));
        surface.resize(QSize(0, 0));
        QVERIFY(surface.image().isNull());
        surface.cls(); // drawing on an empty surface is harmless
        surface.print(QStringLiteral("x"));
        surface.line(QPoint(0, 0), QPoint(5, 5), Blue);
    }

    void opaquePictureIsShownInPlaceUntilDrawnOn_data() {
        QTest::addColumn<bool>("fewColours");
        QTest::newRow("many colours") << false;
        QTest::newRow("one colour, held as a palette") << true;
    }
    void opaquePictureIsShownInPlaceUntilDrawnOn() {
        QFETCH(bool, fewColours);
        const Picture picture =
            fewColours ? solidPicture(30, 20, Qt::blue) : patternPicture(30, 20);
        const QImage before = picture->pixels().convertToFormat(QImage::Format_RGB32);
        Surface surface(QSize(10, 10));
        surface.setPicture(picture);
        surface.resize(QSize(25, 18));
        const QImage& shown = std::as_const(surface).image();
        QCOMPARE(shown.constBits(), picture->pixels().constBits());
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32), before.copy(0, 0, 25, 18));
        surface.print(QStringLiteral("WW"));
        surface.line(QPoint(0, 17), QPoint(24, 17), Red);
        QCOMPARE(picture->pixels().convertToFormat(QImage::Format_RGB32), before);
        QVERIFY(surface.image().copy(0, 0, 25, 17) != before.copy(0, 0, 25, 17));
        surface.resize(QSize(40, 30)); // what was drawn stays; beyond the picture, the back colour
        QCOMPARE(surface.image().pixelColor(3, 17), QColor(Qt::red));
        QCOMPARE(surface.image().pixelColor(24, 0), before.pixelColor(24, 0));
        QCOMPARE(surface.image().pixelColor(35, 25), toQColor(syscolour::ButtonFace));
    }

    // Kept compact, a surface reads the same after each present, in one bit a pixel for
    // two colours and one byte for up to 256, and is drawn on as before.
    void keptCompactSurfaceReadsTheSame_data() {
        QTest::addColumn<int>("colours");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("two") << 2 << QImage::Format_Mono;
        QTest::newRow("three") << 3 << QImage::Format_Indexed8;
        QTest::newRow("256") << 256 << QImage::Format_Indexed8;
        QTest::newRow("257") << 257 << QImage::Format_RGB32;
    }
    void keptCompactSurfaceReadsTheSame() {
        QFETCH(int, colours);
        QFETCH(QImage::Format, format);
        Surface surface(QSize(37, 9));
        surface.setKeptCompact(true);
        surface.setBackColor(Red);
        QImage expected(37, 9, QImage::Format_RGB32);
        expected.fill(Qt::red);
        for (int k = 1; k < colours; ++k) {
            const QPoint at(36 - k % 37, k / 37); // from the right: a row's last byte is partial
            surface.line(at, at + QPoint(1, 0), rgb(k % 256, k / 256, 9));
            expected.setPixelColor(at, QColor(k % 256, k / 256, 9));
        }
        surface.refresh();
        const QImage& kept = std::as_const(surface).image();
        QCOMPARE(kept.format(), format);
        QCOMPARE(surface.image(), expected); // turned back for drawing
        surface.line(QPoint(0, 8), QPoint(36, 8), Blue);
        QCOMPARE(surface.image().pixelColor(36, 8), QColor(Qt::red));
        QCOMPARE(surface.image().pixelColor(35, 8), QColor(Qt::blue));
    }

    void widgetShowsTheRetainedImage_data() {
        QTest::addColumn<bool>("compact");
        QTest::newRow("plain") << false;
        QTest::newRow("kept compact") << true;
    }
    void widgetShowsTheRetainedImage() {
        QFETCH(bool, compact);
        SurfaceWidget widget;
        widget.resize(30, 20);
        QCOMPARE(widget.grab().size(), QSize(30, 20)); // grab delivers the pending resize
        QCOMPARE(widget.surface().size(), QSize(30, 20));
        widget.surface().setKeptCompact(compact);
        widget.surface().setBackColor(rgb(255, 255, 255));
        widget.surface().paintPicture(solidPicture(5, 5, Qt::blue), QPoint(10, 8),
                                      QRect(0, 0, 5, 5));
        widget.surface().refresh();
        const QImage shot = widget.grab().toImage();
        QCOMPARE(shot.pixelColor(10, 8), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(14, 12), QColor(Qt::blue));
        QCOMPARE(shot.pixelColor(15, 12), QColor(Qt::white));
        QCOMPARE(shot.pixelColor(0, 0), QColor(Qt::white));
        const QImage part = widget.grab(QRect(9, 7, 7, 6)).toImage(); // a part painted alone
        QCOMPARE(part.pixelColor(1, 1), QColor(Qt::blue));
        QCOMPARE(part.pixelColor(6, 5), QColor(Qt::white));
        QCOMPARE(part.pixelColor(0, 0), QColor(Qt::white));
    }

    void widgetResizeResizesTheSurface() {
        // A child, as the gauges are: a top-level window may have a minimum width.
        QWidget window;
        window.resize(200, 40);
        SurfaceWidget widget(&window);
        widget.resize(50, 17);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(widget.surface().size(), QSize(50, 17));
        widget.resize(175, 17);
        QTRY_COMPARE(widget.surface().size(), QSize(175, 17));
    }
};

QTEST_MAIN(TestSurface)
#include "test_surface.moc"
