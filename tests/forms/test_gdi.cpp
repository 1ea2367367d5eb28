#include "forms/gdi.h"

#include <QSet>
#include <QTest>

#include <climits>

using namespace tarvo::forms;
using gdi::Rect;

Q_DECLARE_METATYPE(Rect)

namespace {

using PointList = QList<QPoint>;

const QColor Ink(10, 20, 30);
const QColor Paper(250, 250, 250);

QImage paper(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Paper);
    return image;
}

// Every pixel is ink exactly where expected and paper elsewhere.
void compareInk(const QImage& image, const QSet<QPoint>& expected) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor want = expected.contains(QPoint(x, y)) ? Ink : Paper;
            if (image.pixelColor(x, y) != want) {
                QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                     .arg(x)
                                     .arg(y)
                                     .arg(image.pixelColor(x, y).name(), want.name())));
            }
        }
    }
}

QSet<QPoint> rectPixels(int left, int top, int right, int bottom) {
    QSet<QPoint> set;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            set.insert(QPoint(x, y));
    return set;
}

// A picture whose every pixel differs, so a misplaced copy shows.
QImage pattern(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x * 5 % 256, y * 17 % 256, (x * 31 + y * 7) % 256));
    return image;
}

// The plain, obviously right block copy: read everything first, then write.
QImage referenceBlit(const QImage& dstBefore, QPoint at, const QImage& src, const Rect& r) {
    QImage out = dstBefore.copy();
    for (int y = r.top; y < r.bottom; ++y) {
        for (int x = r.left; x < r.right; ++x) {
            const QPoint to(at.x() + x - r.left, at.y() + y - r.top);
            if (src.rect().contains(x, y) && out.rect().contains(to))
                out.setPixel(to, src.pixel(x, y));
        }
    }
    return out;
}

} // namespace

class TestGdi final : public QObject {
    Q_OBJECT

private slots:
    void thinLine_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<PointList>("expected");

        QTest::newRow("horizontal right")
            << QPoint(2, 5) << QPoint(7, 5) << PointList{{2, 5}, {3, 5}, {4, 5}, {5, 5}, {6, 5}};
        QTest::newRow("horizontal left")
            << QPoint(7, 5) << QPoint(2, 5) << PointList{{7, 5}, {6, 5}, {5, 5}, {4, 5}, {3, 5}};
        QTest::newRow("vertical down")
            << QPoint(4, 1) << QPoint(4, 4) << PointList{{4, 1}, {4, 2}, {4, 3}};
        QTest::newRow("vertical up")
            << QPoint(4, 4) << QPoint(4, 1) << PointList{{4, 4}, {4, 3}, {4, 2}};
        QTest::newRow("diagonal") << QPoint(1, 1) << QPoint(5, 5)
                                  << PointList{{1, 1}, {2, 2}, {3, 3}, {4, 4}};
        QTest::newRow("anti-diagonal")
            << QPoint(5, 1) << QPoint(1, 5) << PointList{{5, 1}, {4, 2}, {3, 3}, {2, 4}};
        QTest::newRow("shallow") << QPoint(0, 0) << QPoint(8, 2)
                                 << PointList{{0, 0}, {1, 0}, {2, 1}, {3, 1},
                                              {4, 1}, {5, 1}, {6, 2}, {7, 2}};
        QTest::newRow("steep") << QPoint(3, 0) << QPoint(4, 4)
                               << PointList{{3, 0}, {3, 1}, {4, 2}, {4, 3}};
        QTest::newRow("single step") << QPoint(6, 6) << QPoint(7, 6) << PointList{{6, 6}};
        QTest::newRow("zero length") << QPoint(6, 6) << QPoint(6, 6) << PointList{};
        QTest::newRow("clipped both ends")
            << QPoint(-5, 3) << QPoint(20, 3) << PointList{{0, 3}, {1, 3}, {2, 3}, {3, 3}, {4, 3},
                                                           {5, 3}, {6, 3}, {7, 3}, {8, 3}, {9, 3}};
        QTest::newRow("outside") << QPoint(-5, -1) << QPoint(20, -1) << PointList{};
    }

    void thinLine() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(PointList, expected);
        QImage image = paper(10, 8);
        gdi::line(image, from, to, {Ink, 1});
        compareInk(image, QSet<QPoint>(expected.begin(), expected.end()));
    }

    void farAwayEndPoints() {
        // Coordinates near the integer limits must neither overflow nor take long.
        QImage image = paper(10, 8);
        gdi::line(image, QPoint(INT_MIN, 4), QPoint(INT_MAX, 4), {Ink, 1});
        compareInk(image, rectPixels(0, 4, 10, 5));

        image = paper(10, 8);
        gdi::line(image, QPoint(3, INT_MIN), QPoint(3, INT_MAX), {Ink, 3});
        compareInk(image, rectPixels(2, 0, 5, 8));
    }

    void widePen_data() {
        QTest::addColumn<QPoint>("from");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("width");
        QTest::addColumn<PointList>("expected");

        // Width 3: three rows centred on the line, round caps one pixel past each end.
        QSet<QPoint> horizontal = rectPixels(1, 4, 10, 7);
        QTest::newRow("3 horizontal")
            << QPoint(2, 5) << QPoint(8, 5) << 3 << PointList(horizontal.begin(), horizontal.end());
        QSet<QPoint> vertical = rectPixels(3, 0, 6, 7);
        QTest::newRow("3 vertical")
            << QPoint(4, 1) << QPoint(4, 5) << 3 << PointList(vertical.begin(), vertical.end());
        // Width 2: two rows, the line on the corner between them.
        QSet<QPoint> two = rectPixels(1, 4, 9, 6);
        QTest::newRow("2 horizontal")
            << QPoint(2, 5) << QPoint(8, 5) << 2 << PointList(two.begin(), two.end());
    }

    void widePen() {
        QFETCH(QPoint, from);
        QFETCH(QPoint, to);
        QFETCH(int, width);
        QFETCH(PointList, expected);
        QImage image = paper(12, 10);
        gdi::line(image, from, to, {Ink, width});
        compareInk(image, QSet<QPoint>(expected.begin(), expected.end()));
    }

    void widePenDiagonalIsSolid() {
        // A thick diagonal has no holes and no antialiased pixels.
        QImage image = paper(20, 20);
        gdi::line(image, QPoint(2, 2), QPoint(16, 12), {Ink, 3});
        int ink = 0;
        for (int y = 0; y < 20; ++y) {
            for (int x = 0; x < 20; ++x) {
                const QColor c = image.pixelColor(x, y);
                QVERIFY2(c == Ink || c == Paper, "no blended pixels");
                ink += c == Ink;
            }
        }
        for (int x = 2; x <= 16; ++x) {
            const int y = 2 + (x - 2) * 10 / 14;
            QCOMPARE(image.pixelColor(x, y), Ink);
        }
        QVERIFY(ink > 3 * 14);
    }

    void fillRect_data() {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<Rect>("inked");

        QTest::newRow("inside") << Rect{2, 1, 5, 4} << Rect{2, 1, 5, 4};
        QTest::newRow("one pixel") << Rect{3, 3, 4, 4} << Rect{3, 3, 4, 4};
        QTest::newRow("empty width") << Rect{3, 3, 3, 6} << Rect{};
        QTest::newRow("inverted") << Rect{5, 5, 2, 2} << Rect{};
        QTest::newRow("clipped") << Rect{-3, -2, 4, 3} << Rect{0, 0, 4, 3};
        QTest::newRow("covers all") << Rect{-100, -100, 100, 100} << Rect{0, 0, 8, 6};
    }

    void fillRect() {
        QFETCH(Rect, rect);
        QFETCH(Rect, inked);
        QImage image = paper(8, 6);
        gdi::fillRect(image, rect, Ink);
        compareInk(image, rectPixels(inked.left, inked.top, inked.right, inked.bottom));
    }

    void frameRect_data() {
        QTest::addColumn<Rect>("rect");
        QTest::addColumn<PointList>("expected");

        QSet<QPoint> frame = rectPixels(1, 1, 6, 5) - rectPixels(2, 2, 5, 4);
        QTest::newRow("5x4") << Rect{1, 1, 6, 5} << PointList(frame.begin(), frame.end());
        QTest::newRow("1x1") << Rect{2, 2, 3, 3} << PointList{{2, 2}};
        QTest::newRow("2x2") << Rect{2, 2, 4, 4} << PointList{{2, 2}, {3, 2}, {2, 3}, {3, 3}};
        QTest::newRow("empty") << Rect{2, 2, 2, 4} << PointList{};
        QSet<QPoint> clipped = rectPixels(0, 0, 8, 6) - rectPixels(0, 1, 7, 6);
        clipped += rectPixels(7, 0, 8, 6);
        QTest::newRow("clipped") << Rect{-1, 0, 8, 7} << PointList(clipped.begin(), clipped.end());
    }

    void frameRect() {
        QFETCH(Rect, rect);
        QFETCH(PointList, expected);
        QImage image = paper(8, 6);
        gdi::frameRect(image, rect, Ink);
        compareInk(image, QSet<QPoint>(expected.begin(), expected.end()));
    }

    void setPixelClips() {
        QImage image = paper(4, 4);
        gdi::setPixel(image, QPoint(3, 0), Ink);
        gdi::setPixel(image, QPoint(4, 0), Ink);
        gdi::setPixel(image, QPoint(-1, 2), Ink);
        compareInk(image, {QPoint(3, 0)});
    }

    void bitBltSameImage_data() {
        QTest::addColumn<Rect>("src");
        QTest::addColumn<QPoint>("dst");

        // The graph scrolls its bitmap left by one step on every call.
        QTest::newRow("scroll left 1") << Rect{0, 4, 40, 12} << QPoint(-1, 4);
        QTest::newRow("scroll left 11") << Rect{0, 4, 40, 12} << QPoint(-11, 4);
        QTest::newRow("scroll right 3") << Rect{0, 0, 40, 12} << QPoint(3, 0);
        QTest::newRow("scroll down 2") << Rect{0, 0, 40, 12} << QPoint(0, 2);
        QTest::newRow("scroll up 2") << Rect{0, 0, 40, 12} << QPoint(0, -2);
        QTest::newRow("diagonal down-right") << Rect{2, 1, 30, 9} << QPoint(5, 3);
        QTest::newRow("diagonal up-left") << Rect{5, 3, 40, 12} << QPoint(2, 1);
        QTest::newRow("source beyond edge") << Rect{30, 8, 60, 20} << QPoint(1, 1);
        QTest::newRow("negative source") << Rect{-4, -3, 10, 5} << QPoint(10, 6);
        QTest::newRow("onto itself") << Rect{0, 0, 40, 12} << QPoint(0, 0);
        QTest::newRow("empty") << Rect{5, 5, 5, 9} << QPoint(0, 0);
    }

    void bitBltSameImage() {
        QFETCH(Rect, src);
        QFETCH(QPoint, dst);
        QImage image = pattern(40, 12);
        const QImage expected = referenceBlit(image, dst, image, src);
        gdi::bitBlt(image, dst, image, src);
        QCOMPARE(image, expected);
    }

    void bitBltSharedCopyReadsOldPixels() {
        // A copy that shares data with the destination must still read the pixels as
        // they were before the blit.
        QImage image = pattern(20, 6);
        const QImage shared = image;
        const QImage expected = referenceBlit(image, QPoint(-3, 0), shared, {0, 0, 20, 6});
        gdi::bitBlt(image, QPoint(-3, 0), shared, {0, 0, 20, 6});
        QCOMPARE(image, expected);
        QCOMPARE(shared, pattern(20, 6));
    }

    void bitBltBetweenImages_data() {
        QTest::addColumn<Rect>("src");
        QTest::addColumn<QPoint>("dst");

        QTest::newRow("inside") << Rect{3, 2, 9, 7} << QPoint(1, 1);
        QTest::newRow("destination off left top") << Rect{0, 0, 10, 8} << QPoint(-4, -2);
        QTest::newRow("destination off right bottom") << Rect{0, 0, 10, 8} << QPoint(7, 5);
        QTest::newRow("entirely outside") << Rect{0, 0, 10, 8} << QPoint(30, 0);
    }

    void bitBltBetweenImages() {
        QFETCH(Rect, src);
        QFETCH(QPoint, dst);
        const QImage source = pattern(14, 10);
        QImage target = paper(12, 9);
        const QImage expected = referenceBlit(target, dst, source, src);
        gdi::bitBlt(target, dst, source, src);
        QCOMPARE(target, expected);
    }

    void bitBltIntoOpaqueImageDropsAlpha() {
        QImage source(2, 1, QImage::Format_ARGB32_Premultiplied);
        source.setPixel(0, 0, qRgba(10, 20, 30, 255));
        source.setPixel(1, 0, qPremultiply(qRgba(200, 100, 50, 128)));
        QImage target = paper(2, 1);
        gdi::bitBlt(target, QPoint(0, 0), source, {0, 0, 2, 1});
        QCOMPARE(target.pixel(0, 0), qRgb(10, 20, 30));
        // A block copy moves the stored value and ignores alpha; the opaque image keeps
        // its pixels opaque.
        QCOMPARE(target.pixel(1, 0), qPremultiply(qRgba(200, 100, 50, 128)) | 0xFF000000u);
    }

    void alphaBltBlendsOverBackground() {
        QImage source(3, 1, QImage::Format_ARGB32_Premultiplied);
        source.setPixel(0, 0, qRgba(0, 0, 0, 0));
        source.setPixel(1, 0, qRgba(255, 0, 0, 255));
        source.setPixel(2, 0, qPremultiply(qRgba(0, 0, 255, 128)));
        QImage target(3, 1, QImage::Format_RGB32);
        target.fill(Qt::white);
        gdi::alphaBlt(target, QPoint(0, 0), source, {0, 0, 3, 1});
        QCOMPARE(target.pixel(0, 0), qRgb(255, 255, 255));
        QCOMPARE(target.pixel(1, 0), qRgb(255, 0, 0));
        const QRgb blended = target.pixel(2, 0);
        QVERIFY(qAbs(qRed(blended) - 127) <= 1);
        QCOMPARE(qBlue(blended), 255);
    }

    void mulDiv_data() {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("result");

        QTest::newRow("font height") << 9 << 96 << 72 << 12;
        QTest::newRow("exact") << 6 << 4 << 3 << 8;
        QTest::newRow("below half") << 1 << 1 << 3 << 0;
        QTest::newRow("above half") << 2 << 1 << 3 << 1;
        QTest::newRow("half up") << 5 << 1 << 2 << 3;
        QTest::newRow("half negative a") << -5 << 1 << 2 << -3;
        QTest::newRow("half negative b") << 5 << -1 << 2 << -3;
        QTest::newRow("half negative c") << 5 << 1 << -2 << -3;
        QTest::newRow("two negatives") << -5 << -1 << 2 << 3;
        QTest::newRow("three negatives") << -10 << -3 << -4 << -8;
        QTest::newRow("64-bit intermediate") << 2000000000 << 3 << 4 << 1500000000;
        QTest::newRow("largest") << INT_MAX << INT_MAX << INT_MAX << INT_MAX;
        QTest::newRow("overflow") << INT_MAX << 2 << 1 << -1;
        QTest::newRow("zero divisor") << 1 << 1 << 0 << -1;
        QTest::newRow("zero over zero") << 0 << 5 << 0 << -1;
        QTest::newRow("zero product") << 0 << 5 << 7 << 0;
    }

    void mulDiv() {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(int, result);
        QCOMPARE(gdi::mulDiv(a, b, c), result);
    }

    void drawTextCentresEachLine() {
        const QFont font = gdi::createFont(-12, 0, 400, false, false, false, "Times New Roman");
        QImage image = paper(200, 80);
        const int lineHeight = QFontMetrics(font, &image).height();
        const int height = gdi::drawText(image, QStringLiteral("ab\r\nWWWWWW"), {0, 0, 200, 80},
                                         gdi::DtCenter, font, Ink);
        QCOMPARE(height, 2 * lineHeight);

        // Each line's ink is centred on its own; only ink and paper appear.
        for (int line = 0; line < 2; ++line) {
            int left = INT_MAX;
            int right = -1;
            for (int y = line * lineHeight; y < (line + 1) * lineHeight; ++y) {
                for (int x = 0; x < 200; ++x) {
                    const QColor c = image.pixelColor(x, y);
                    QVERIFY2(c == Ink || c == Paper, "text is not antialiased");
                    if (c == Ink) {
                        left = qMin(left, x);
                        right = qMax(right, x);
                    }
                }
            }
            QVERIFY2(right >= 0, "each line is drawn");
            QVERIFY2(qAbs(left - (199 - right)) <= 3, qPrintable(QString::number(line)));
        }
        for (int y = 2 * lineHeight; y < 80; ++y)
            for (int x = 0; x < 200; ++x)
                QCOMPARE(image.pixelColor(x, y), Paper);
    }

    void drawTextLineBreaks_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<int>("lines");

        QTest::newRow("one line") << "abc" << 0u << 1;
        QTest::newRow("CR LF") << "a\r\nb" << 0u << 2;
        QTest::newRow("LF") << "a\nb\nc" << 0u << 3;
        QTest::newRow("blank lines") << "\r\n\r\nx" << 0u << 3;
        QTest::newRow("single line ignores breaks") << "a\r\nb" << unsigned(gdi::DtSingleLine) << 1;
        QTest::newRow("word break") << "aaaa bbbb cccc" << unsigned(gdi::DtWordBreak) << 3;
    }

    void drawTextLineBreaks() {
        QFETCH(QString, text);
        QFETCH(unsigned, flags);
        QFETCH(int, lines);
        const QFont font = gdi::createFont(-12, 0, 400, false, false, false, "Times New Roman");
        QImage image = paper(200, 100);
        const QFontMetrics metrics(font, &image);
        // Narrow enough that each word of the word-break row needs its own line.
        const int width = metrics.horizontalAdvance(QStringLiteral("aaaa bb"));
        QCOMPARE(gdi::drawText(image, text, {0, 0, width, 100}, flags | gdi::DtCalcRect, font, Ink),
                 lines * metrics.height());
        QCOMPARE(image, paper(200, 100)); // measuring draws nothing
        QCOMPARE(gdi::drawText(image, text, {0, 0, width, 100}, flags, font, Ink),
                 lines * metrics.height());
    }

    void drawTextClipsToRectangle() {
        const QFont font = gdi::createFont(-16, 0, 700, false, false, false, "Times New Roman");
        QImage image = paper(100, 40);
        gdi::drawText(image, QStringLiteral("WWWWWWWWWW"), {10, 10, 30, 20}, gdi::DtLeft, font,
                      Ink);
        bool inked = false;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 100; ++x) {
                const bool inside = x >= 10 && x < 30 && y >= 10 && y < 20;
                if (!inside)
                    QCOMPARE(image.pixelColor(x, y), Paper);
                inked = inked || image.pixelColor(x, y) == Ink;
            }
        }
        QVERIFY(inked);
    }

    void createFontHeights() {
        const QFont character = gdi::createFont(-12, 0, 400, false, false, false, "SimSun");
        QCOMPARE(character.pixelSize(), 12);
        QCOMPARE(character.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);

        const QFont cell = gdi::createFont(24, 0, 700, true, true, false, "SimSun");
        QVERIFY(qAbs(QFontMetrics(cell).height() - 24) <= 1);
        QCOMPARE(cell.weight(), QFont::Bold);
        QVERIFY(cell.italic());
        QVERIFY(cell.underline());
        QVERIFY(!cell.strikeOut());

        QVERIFY(gdi::createFont(0, 0, 0, false, false, false, "x").pixelSize() > 0);
        QCOMPARE(gdi::createFont(0, 0, 0, false, false, false, "x").weight(), QFont::Normal);
    }
};

QTEST_MAIN(TestGdi)
#include "test_gdi.moc"
