// Presenting a scroll: the surface hands a scroll plus the uncovered strip to its
// presenters, and a widget shows exactly the retained image afterwards.
#include "forms/gdi.h"
#include "forms/surface.h"
#include "forms/surfacewidget.h"

#include <QApplication>
#include <QScreen>
#include <QTest>

#include <utility>

using namespace tarvo::forms;

namespace {

struct Presented {
    QList<QRegion> regions;
    struct Scroll {
        QRect rect;
        int dx;
        int dy;
    };
    QList<Scroll> scrolls;

    void attach(Surface& surface, bool canScroll) {
        surface.setPresenter([this](const QRegion& r) { regions << r; });
        if (canScroll)
            surface.setScrollPresenter([this](const QRect& r, int dx, int dy) {
                scrolls << Scroll{r, dx, dy};
            });
    }
};

// Moves the pixels of rect by dx in the image, as a scrolling routine does, and paints
// the uncovered columns with a colour of their own.
void scrollImage(Surface& surface, const QRect& rect, int dx, QColor fresh) {
    QImage& image = surface.image();
    gdi::bitBlt(
        image, rect.topLeft() + QPoint(dx, 0), image,
        gdi::Rect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
    const int from = dx < 0 ? rect.right() + dx + 1 : rect.left();
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = from; x < from + std::abs(dx); ++x)
            image.setPixelColor(x, y, fresh);
}

// Distinct colours per column, so a shift by one shows.
void paintColumns(Surface& surface) {
    QImage& image = surface.image();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 37 % 256, y * 11 % 256, (x + y) % 256));
    surface.markAllDirty();
}

// A block copy of rect onto itself by dx, dy, pixel by pixel, from a copy of the image.
void blockCopy(QImage& image, const QRect& rect, int dx, int dy) {
    const QImage before = image.copy();
    const QRect r = rect & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (r.contains(x - dx, y - dy))
                image.setPixel(x, y, before.pixel(x - dx, y - dy));
}

// What the window system shows of the widget: the offscreen platform's backing store.
QImage shown(QWidget& top, QWidget& widget) {
    const QPixmap shot = top.screen()->grabWindow(top.winId());
    return shot.toImage()
        .copy(QRect(widget.mapTo(&top, QPoint(0, 0)), widget.size()))
        .convertToFormat(QImage::Format_RGB32);
}

} // namespace

class TestSurfaceScroll final : public QObject {
    Q_OBJECT
private slots:
    void scrollIsPresentedAsScrollPlusStrip_data() {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<QRegion>("strip");
        QTest::newRow("one left") << -1 << 0 << QRegion(39, 5, 1, 10);
        QTest::newRow("three left") << -3 << 0 << QRegion(37, 5, 3, 10);
        QTest::newRow("two right") << 2 << 0 << QRegion(0, 5, 2, 10);
        QTest::newRow("two down") << 0 << 2 << QRegion(0, 5, 40, 2);
        QTest::newRow("three up") << 0 << -3 << QRegion(0, 12, 40, 3);
        QTest::newRow("left and down") << -1 << 2 << QRegion(0, 5, 40, 2) + QRegion(39, 7, 1, 8);
    }
    void scrollIsPresentedAsScrollPlusStrip() {
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(QRegion, strip);
        Surface surface(QSize(40, 20));
        surface.refresh();
        Presented p;
        p.attach(surface, true);
        surface.markScrolled(QRect(0, 5, 40, 10), dx, dy);
        surface.refresh();
        QCOMPARE(p.scrolls.size(), 1);
        QCOMPARE(p.scrolls[0].rect, QRect(0, 5, 40, 10));
        QCOMPARE(p.scrolls[0].dx, dx);
        QCOMPARE(p.scrolls[0].dy, dy);
        QCOMPARE(p.regions, QList<QRegion>{strip});
        surface.refresh(); // presented once
        QCOMPARE(p.scrolls.size(), 1);
        QCOMPARE(p.regions.size(), 1);
    }

    void scrollFallsBackToRepaint_data() {
        QTest::addColumn<bool>("canScroll");
        QTest::addColumn<int>("dx");
        QTest::addColumn<bool>("twice");
        QTest::newRow("presenter cannot scroll") << false << -1 << false;
        QTest::newRow("moved out of sight") << true << -40 << false;
        QTest::newRow("two scrolls before a present") << true << -1 << true;
    }
    void scrollFallsBackToRepaint() {
        QFETCH(bool, canScroll);
        QFETCH(int, dx);
        QFETCH(bool, twice);
        Surface surface(QSize(40, 20));
        surface.refresh();
        Presented p;
        p.attach(surface, canScroll);
        const QRect rect(0, 5, 40, 10);
        surface.markScrolled(rect, dx, 0);
        if (twice)
            surface.markScrolled(rect, dx, 0);
        surface.refresh();
        QCOMPARE(p.scrolls.size(), 0);
        QCOMPARE(p.regions.size(), 1);
        QVERIFY(QRegion(rect).subtracted(p.regions[0]).isEmpty());
    }

    void pendingChangeMovesWithTheScroll() {
        Surface surface(QSize(40, 20));
        surface.refresh();
        Presented p;
        p.attach(surface, true);
        surface.markDirty(QRect(10, 6, 2, 2)); // inside the rect: moves along
        surface.markDirty(QRect(10, 0, 2, 2)); // outside: stays
        surface.markScrolled(QRect(0, 5, 40, 10), -3, 0);
        surface.refresh();
        QCOMPARE(p.scrolls.size(), 1);
        QCOMPARE(p.regions[0], QRegion(7, 6, 2, 2) + QRegion(10, 0, 2, 2) + QRegion(37, 5, 3, 10));
    }

    void repaintCoveringTheScrollDropsIt() {
        Surface surface(QSize(40, 20));
        surface.refresh();
        Presented p;
        p.attach(surface, true);
        surface.markScrolled(QRect(0, 5, 40, 10), -1, 0);
        surface.cls();
        surface.refresh();
        QCOMPARE(p.scrolls.size(), 0);
        QCOMPARE(p.regions, QList<QRegion>{QRegion(0, 0, 40, 20)});
    }

    // A change that only overlaps what is already waiting must still be presented whole.
    void overlappingChangeIsPresentedWhole() {
        Surface surface(QSize(40, 20));
        surface.refresh();
        Presented p;
        p.attach(surface, false);
        surface.markDirty(QRect(0, 0, 10, 10));
        surface.markDirty(QRect(5, 5, 10, 10));
        surface.refresh();
        QCOMPARE(p.regions.size(), 1);
        QVERIFY(QRegion(5, 5, 10, 10).subtracted(p.regions[0]).isEmpty());
        QVERIFY(QRegion(0, 0, 10, 10).subtracted(p.regions[0]).isEmpty());
    }

    void changeCountSeesEveryMark() {
        Surface surface(QSize(40, 20));
        const quint64 start = surface.changeCount();
        surface.markDirty(QRect(0, 0, 1, 1));
        surface.markDirty(QRect(0, 0, 1, 1)); // already waiting: still a change
        surface.line(QPoint(0, 0), QPoint(5, 0), rgb(0, 0, 255));
        surface.refresh();
        QCOMPARE(surface.changeCount(), start + 3);
        surface.refresh(); // presenting is no change
        QCOMPARE(surface.changeCount(), start + 3);
    }

    // Scrolling moves the pixels as a block copy onto itself would, whichever way the
    // surface does it; drawing between scrolls lands where it is drawn. The scrolled band
    // is read alone after every scroll, the rows around it only now and then.
    void scrollMovesPixelsAsABlockCopy_data() {
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<int>("times");
        QTest::newRow("whole width, one left, past two widths")
            << QRect(0, 0, 30, 12) << -1 << 0 << 75;
        QTest::newRow("whole width between fixed rows") << QRect(0, 3, 30, 6) << -3 << 0 << 40;
        QTest::newRow("whole width, all but one column") << QRect(0, 3, 30, 6) << -29 << 0 << 5;
        QTest::newRow("whole width, more than the width") << QRect(0, 3, 30, 6) << -31 << 0 << 3;
        QTest::newRow("part of the width") << QRect(4, 2, 20, 8) << -2 << 0 << 15;
        QTest::newRow("right") << QRect(0, 2, 30, 8) << 2 << 0 << 15;
        QTest::newRow("down") << QRect(0, 2, 30, 8) << 0 << 3 << 5;
        QTest::newRow("up and left") << QRect(2, 1, 25, 10) << -1 << -2 << 5;
        QTest::newRow("reaching past the image") << QRect(-5, 6, 50, 20) << -2 << 0 << 20;
    }
    void scrollMovesPixelsAsABlockCopy() {
        QFETCH(QRect, rect);
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(int, times);
        Surface surface(QSize(30, 12));
        paintColumns(surface);
        QImage expected = surface.image().copy();
        const QRect band = rect.intersected(expected.rect());
        for (int n = 1; n <= times; ++n) {
            surface.scroll(rect, dx, dy);
            blockCopy(expected, rect, dx, dy);
            // Raw first: the image itself is not placed again after the scroll yet.
            const Surface::ConstPixels raw = std::as_const(surface).pixelsOf(band);
            if (QImage(raw.bits, 30, 12, raw.bytesPerLine, raw.format).copy(band) !=
                expected.copy(band))
                QFAIL(qPrintable(QStringLiteral("raw pixels differ after scroll %1").arg(n)));
            if (surface.imageOf(band).copy(band) != expected.copy(band))
                QFAIL(qPrintable(QStringLiteral("band differs after scroll %1").arg(n)));
            if (n % 7 != 0 && n != times)
                continue;
            // Reading a row outside the band brings every row up to date.
            if (surface.imageOf(QRect(0, 0, 1, 1)) != expected)
                QFAIL(qPrintable(QStringLiteral("differs after scroll %1").arg(n)));
            const QPoint at(n % 30, n % 12);
            surface.image().setPixel(at, qRgb(n, 255 - n, 77));
            expected.setPixel(at, qRgb(n, 255 - n, 77));
        }
        QCOMPARE(surface.image(), expected);
    }

    // A scroll whose uncovered strip the caller repaints: everything else moves as before.
    void repaintedStripScroll() {
        Surface surface(QSize(30, 12));
        paintColumns(surface);
        QImage expected = surface.image().copy();
        const QRect rect(0, 2, 30, 8);
        for (int n = 1; n <= 70; ++n) {
            const int step = 1 + n % 3;
            surface.scroll(rect, -step, 0, Surface::Uncovered::Repainted);
            blockCopy(expected, rect, -step, 0);
            const QRect strip(30 - step, 2, step, 8);
            gdi::fillRect(surface.image(), gdi::fromQRect(strip), QColor(n, 90, 200));
            gdi::fillRect(expected, gdi::fromQRect(strip), QColor(n, 90, 200));
            if (surface.image() != expected)
                QFAIL(qPrintable(QStringLiteral("differs after scroll %1").arg(n)));
        }
    }

    // A copy of the image taken before scrolls keeps its pixels; so does one taken
    // before a write that detaches the surface's image from the copy.
    void heldCopiesKeepTheirPixels() {
        Surface surface(QSize(30, 12));
        paintColumns(surface);
        const QRect rect(0, 2, 30, 8);
        surface.scroll(rect, -1, 0);
        const QImage held = surface.image();
        const QImage heldPixels = held.copy();
        for (int n = 0; n < 40; ++n)
            surface.scroll(rect, -1, 0);
        QCOMPARE(held, heldPixels);

        QImage expected = surface.image().copy();
        const QImage second = surface.image();
        surface.image().setPixel(3, 4, qRgb(1, 2, 3)); // detaches from `second`
        expected.setPixel(3, 4, qRgb(1, 2, 3));
        const QImage secondPixels = second.copy();
        for (int n = 0; n < 40; ++n) {
            surface.scroll(rect, -1, 0);
            blockCopy(expected, rect, -1, 0);
        }
        QCOMPARE(second, secondPixels);
        QCOMPARE(surface.image(), expected);
    }

    // The widget scrolls what it shows; afterwards the screen holds exactly the image,
    // also when a strip inside the scrolled area changed in the same present.
    void widgetShowsTheImageAfterScrolls() {
        QWidget top;
        top.resize(200, 120);
        SurfaceWidget widget(&top);
        widget.setGeometry(13, 17, 120, 60);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        Surface& surface = widget.surface();
        QCOMPARE(surface.size(), QSize(120, 60));
        paintColumns(surface);
        surface.refresh();
        QTRY_COMPARE(shown(top, widget), surface.image());

        const QRect area(0, 10, 120, 50);
        for (int n = 0; n < 12; ++n) {
            const int dx = n % 4 == 3 ? 2 : -1;
            scrollImage(surface, area, dx, QColor(n * 20, 200, 255 - n * 20));
            // Not presented yet: the screen still shows the old picture.
            QVERIFY(shown(top, widget) != surface.image());
            surface.markScrolled(area, dx, 0);
            if (n % 5 == 4) {
                surface.image().setPixelColor(100, 30, Qt::black);
                surface.markDirty(QRect(100, 30, 1, 1));
            }
            surface.refresh();
            QTRY_COMPARE(shown(top, widget), surface.image());
        }
    }
};

QTEST_MAIN(TestSurfaceScroll)
#include "test_surfacescroll.moc"
