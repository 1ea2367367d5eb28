#include "forms/gdi.h"
#include "forms/surface.h"
#include "forms/yield.h"
#include "runtime/codepage.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "services/drawpic.h"

#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

using namespace tarvo;
using forms::Surface;

namespace {

// The main window's graph box is 7095 x 2895 twips.
const QSize MainBox(473, 193);
const QSize SmallBox(200, 80);

bool sameColour(QRgb pixel, const QColor& colour) {
    return (pixel & 0xFFFFFF) == (colour.rgb() & 0xFFFFFF);
}

// Text ink: darker than any pen or brush of the graph.
bool isInk(QRgb pixel) {
    return qMax(qRed(pixel), qMax(qGreen(pixel), qBlue(pixel))) < 100;
}

int countInk(const QImage& image, const QRect& area) {
    int count = 0;
    const QRect clipped = area & image.rect();
    for (int y = clipped.top(); y <= clipped.bottom(); ++y)
        for (int x = clipped.left(); x <= clipped.right(); ++x)
            count += isInk(image.pixel(x, y)) ? 1 : 0;
    return count;
}

int countColour(const QImage& image, const QColor& colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += sameColour(image.pixel(x, y), colour) ? 1 : 0;
    return count;
}

// A box and its graph, fed the same arguments every call unless told otherwise.
struct Rig {
    explicit Rig(QSize box, qint16 step = 1)
        : pic(box)
        , step(step) {}

    void call(int times = 1) {
        for (int n = 0; n < times; ++n)
            graph.draw(pic, step, ratios, values);
    }

    int w() const { return pic.scaleWidth(); }
    int h() const { return pic.scaleHeight(); }
    // The label rectangle of a line at `newY`, as it sits after `scrolled` pixels.
    QRect labelArea(int newY, int scrolled) const {
        return QRect(w() - 30 - scrolled, h() - newY, 42, 15);
    }

    Surface pic;
    TrafficGraph graph;
    qint16 step;
    std::array<float, 3> ratios{0.5f, 0.5f, 0.5f};
    std::array<qint16, 4> values{0, 0, 0, 0};
};

int newY(const Rig& rig, int line) {
    return qRound((rig.h() - 25) * double(rig.ratios[std::size_t(line)]) + line + 1);
}

// The graph written the plain way, as the comparison for what TrafficGraph keeps: the
// whole bitmap scrolls by a block copy onto itself on every call, then the visible part
// is copied to the box. Pens, brushes, rectangles and sizes are the graph's own numbers.
class PlainGraph {
public:
    void draw(Surface& pic, qint16 step, std::span<const float> ratios,
              std::span<const qint16> values) {
        namespace gdi = forms::gdi;
        if (!m_initialised)
            initialise(pic, step);
        if (m_tick == 10) {
            m_tick = 0;
            const int h = pic.scaleHeight();
            for (std::size_t i = 0; i < 3; ++i) {
                const QPoint from(m_x, runtime::subInt32(h, m_y[i]));
                m_y[i] = runtime::toInt32(double(runtime::subInt32(h, 25)) *
                                              double(runtime::element(ratios, int(i))) +
                                          int(i) + 1);
                const QPoint to(m_x + 10, runtime::subInt32(h, m_y[i]));
                gdi::line(m_bitmap, from, to, gdi::Pen{LinePens[i], 3});
                copyHeader(pic);
                if (m_y[i] != m_previousY[i]) {
                    const int top = h - m_y[i];
                    m_font = CreateLabelFont(96, 9, 0);
                    const QString text = TrafficGraph::labelText(int(i), ratios, values);
                    if (!text.isEmpty())
                        gdi::drawText(m_bitmap, ansi(text),
                                      gdi::Rect{m_x - 30, top, m_x + 12, top + 15},
                                      gdi::DtCenter | gdi::DtTop, m_font, QColor(0, 0, 0));
                }
                m_previousY[i] = m_y[i];
            }
            const int w = pic.scaleWidth();
            const double scale = double(h - 25);
            const int m2 = runtime::toInt32(scale / 2 + 20);
            const int m1 = runtime::toInt32(scale / 4 + 20);
            const int m3 = runtime::toInt32(scale / 4 * 3 + 20);
            const QColor pale(210, 245, 255);
            gdi::line(m_bitmap, {w, m2}, {w + 10, m2}, gdi::Pen{pale, 2});
            gdi::line(m_bitmap, {w, m1}, {w + 10, m1}, gdi::Pen{pale, 1});
            gdi::line(m_bitmap, {w, m3}, {w + 10, m3}, gdi::Pen{pale, 1});
            gdi::line(m_bitmap, {w, 20}, {w, h}, gdi::Pen{pale, 1});
        } else {
            ++m_tick;
        }
        const int w = pic.scaleWidth();
        const int h = pic.scaleHeight();
        gdi::bitBlt(m_bitmap, {-int(step), 20}, QImage(m_bitmap),
                    gdi::Rect{0, 20, w + 13, std::min(h + 20, m_bitmap.height())});
        gdi::bitBlt(pic.image(), {0, 20}, m_bitmap,
                    gdi::Rect{0, 20, w, std::min({h + 20, m_bitmap.height(), h})});
    }

    const QImage& bitmap() const { return m_bitmap; }
    int tickCounter() const { return m_tick; }

private:
    static constexpr std::array<QColor, 3> LinePens{QColor(2, 181, 236), QColor(142, 255, 99),
                                                    QColor(255, 100, 100)};

    static QString ansi(const QString& text) { return runtime::fromAnsi(runtime::toAnsi(text)); }

    void initialise(Surface& pic, qint16 step) {
        namespace gdi = forms::gdi;
        m_initialised = true;
        const int w = pic.scaleWidth();
        const int h = pic.scaleHeight();
        m_x = w;
        m_bitmap = QImage(step + w + 13, h, pic.image().format());
        m_bitmap.fill(Qt::black);
        gdi::fillRect(m_bitmap, gdi::Rect{0, 20, w + 13, h}, QColor(255, 255, 255));
        gdi::fillRect(m_bitmap, gdi::Rect{0, 0, w, 20}, QColor(219, 245, 255));
        gdi::drawText(m_bitmap, ansi(TrafficGraph::welcomeText()), gdi::Rect{0, 20, w + 13, h},
                      gdi::DtCenter | gdi::DtTop,
                      gdi::createFont(16, 0, 400, false, false, false, QStringLiteral("System")),
                      QColor(0, 0, 0));
        m_headerWidth = w;
        copyHeader(pic);
    }

    void copyHeader(Surface& pic) {
        forms::gdi::bitBlt(pic.image(), {0, 0}, m_bitmap,
                           forms::gdi::Rect{0, 0, m_headerWidth, 20});
    }

    bool m_initialised = false;
    QImage m_bitmap;
    int m_tick = 0;
    int m_x = 0;
    int m_headerWidth = 0;
    std::array<int, 3> m_y{1, 2, 3};
    std::array<int, 3> m_previousY{0, 0, 0};
    QFont m_font;
};

// Ratios from a little below zero to above full scale (lines and labels then reach into
// the header rows) and values around the label thresholds, the same for any run.
struct Feed {
    quint32 seed = 12345;
    float next(float low, float high) {
        seed = seed * 1103515245u + 12345u;
        return low + (high - low) * float((seed >> 8) & 0xFFFF) / 65535.0f;
    }
    void fill(std::array<float, 3>& ratios, std::array<qint16, 4>& values) {
        for (float& ratio : ratios)
            ratio = next(-0.05f, 1.3f);
        values = {qint16(next(0, 1000)), qint16(next(0, 30)), qint16(next(0, 60)), 0};
    }
};

} // namespace

class TestDrawpic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        forms::setYieldHandler([this] { ++m_yields; });
    }
    void cleanupTestCase() { forms::setYieldHandler({}); }

    void firstCallSetsUpHeaderAndLegend_data();
    void firstCallSetsUpHeaderAndLegend();
    void legendStartsShiftedByStep();
    void yieldsAtTheFixedPoints();
    void onlyEveryEleventhCallDrawsPieces_data();
    void onlyEveryEleventhCallDrawsPieces();
    void pieceEndsOnItsRow_data();
    void pieceEndsOnItsRow();
    void labelText_data();
    void labelText();
    void labelsAppearByLine_data();
    void labelsAppearByLine();
    void unchangedHeightGetsNoNewLabel_data();
    void unchangedHeightGetsNoNewLabel();
    void gridMarksRoundHalvesToEven();
    void gridMarksOnTheMainBox();
    void headerStaysWhileGraphScrolls();
    void graphAreaShiftsByStepPerCall_data();
    void graphAreaShiftsByStepPerCall();
    void faultyCoordinateReachesCaller_data();
    void faultyCoordinateReachesCaller();
    void labelFontFollowsCreateFontRules_data();
    void labelFontFollowsCreateFontRules();
    void moduleFunctionKeepsOneGraph();
    void pensAndBrushes_data();
    void pensAndBrushes();
    void labelsUseNinePointTimes();
    void sameAsPlainCopying_data();
    void sameAsPlainCopying();

private:
    int m_yields = 0;
};

void TestDrawpic::firstCallSetsUpHeaderAndLegend_data() {
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("step");
    QTest::newRow("main box") << MainBox << 1;
    QTest::newRow("main box, step 3") << MainBox << 3;
    QTest::newRow("small box") << SmallBox << 1;
}

void TestDrawpic::firstCallSetsUpHeaderAndLegend() {
    QFETCH(QSize, box);
    QFETCH(int, step);
    QCOMPARE(TrafficGraph::welcomeText(),
             QStringLiteral("\r\n\r\n 欢迎使用 Tarvo 1.5\r\n\r\n蓝线：可用的网络带宽\r\n"
                            "红线： 正在上传的速度\r\n绿线： 正在下载的速度"));

    Rig rig(box, qint16(step));
    QVERIFY(!rig.graph.initialised());
    rig.call();
    QVERIFY(rig.graph.initialised());
    QCOMPARE(rig.graph.bitmap().size(), QSize(step + box.width() + 13, box.height()));
    QCOMPARE(rig.graph.tickCounter(), 1);

    const QImage& shown = rig.pic.image();
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < box.width(); ++x)
            QVERIFY2(sameColour(shown.pixel(x, y), TrafficGraph::HeaderColour),
                     qPrintable(QStringLiteral("header pixel %1,%2").arg(x).arg(y)));

    // Two empty lines come first, then the legend, centred in the (W + 13)-wide graph
    // rectangle and already moved left by one step.
    QCOMPARE(countInk(shown, QRect(0, 20, box.width(), 30)), 0);
    const int ink = countInk(shown, QRect(0, 20, box.width(), box.height() - 20));
    QVERIFY2(ink > 50, qPrintable(QString::number(ink)));
    int left = box.width();
    int right = -1;
    for (int y = 20; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x)
            if (isInk(shown.pixel(x, y))) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
    if (left > 0 && right < box.width() - 1) { // not cut by the box's edges
        const double centre = (left + right + 1) / 2.0;
        const double expected = (box.width() + 13) / 2.0 - step;
        QVERIFY2(std::abs(centre - expected) <= 3,
                 qPrintable(QStringLiteral("%1 vs %2").arg(centre).arg(expected)));
    }
    // Everything else in the graph area is background.
    for (int y = 20; y < box.height(); ++y)
        for (int x = 0; x < box.width(); ++x) {
            const QRgb pixel = shown.pixel(x, y);
            QVERIFY(isInk(pixel) || sameColour(pixel, TrafficGraph::BackgroundColour));
        }
}

void TestDrawpic::legendStartsShiftedByStep() {
    Rig one(MainBox, 1);
    Rig three(MainBox, 3);
    one.call();
    three.call();
    const int w = MainBox.width();
    const int h = MainBox.height();
    QCOMPARE(three.pic.image().copy(0, 20, w - 3, h - 20),
             one.pic.image().copy(2, 20, w - 3, h - 20));
}

void TestDrawpic::yieldsAtTheFixedPoints() {
    Rig rig(SmallBox);
    std::vector<int> perCall;
    for (int n = 0; n < 22; ++n) {
        m_yields = 0;
        rig.call();
        perCall.push_back(m_yields);
    }
    for (int n = 0; n < 22; ++n) {
        const bool drawing = n == 10 || n == 21;
        QCOMPARE(perCall[std::size_t(n)], drawing ? 5 : 2);
    }
}

void TestDrawpic::onlyEveryEleventhCallDrawsPieces_data() {
    QTest::addColumn<QSize>("box");
    QTest::newRow("main box") << MainBox;
    QTest::newRow("small box") << SmallBox;
}

void TestDrawpic::onlyEveryEleventhCallDrawsPieces() {
    QFETCH(QSize, box);
    Rig rig(box);
    rig.ratios = {0.2f, 0.5f, 0.8f}; // apart, so no line hides another
    for (int n = 1; n <= 10; ++n) {
        rig.call();
        for (const QColor& colour : TrafficGraph::LineColours)
            QCOMPARE(countColour(rig.graph.bitmap(), colour), 0);
    }
    rig.call();
    QCOMPARE(rig.graph.tickCounter(), 0);
    std::array<int, 3> after11{};
    for (std::size_t i = 0; i < 3; ++i) {
        after11[i] = countColour(rig.graph.bitmap(), TrafficGraph::LineColours[i]);
        QVERIFY2(after11[i] > 10, qPrintable(QString::number(after11[i])));
    }
    rig.call(10);
    for (std::size_t i = 0; i < 3; ++i)
        QCOMPARE(countColour(rig.graph.bitmap(), TrafficGraph::LineColours[i]), after11[i]);
    rig.call(); // the 22nd
    for (std::size_t i = 0; i < 3; ++i)
        QVERIFY(countColour(rig.graph.bitmap(), TrafficGraph::LineColours[i]) > after11[i]);
}

void TestDrawpic::pieceEndsOnItsRow_data() {
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("line");
    QTest::addColumn<float>("ratio");
    QTest::addColumn<int>("row");
    for (const QSize box : {MainBox, SmallBox}) {
        const QString size = QStringLiteral("%1x%2 ").arg(box.width()).arg(box.height());
        for (int line = 0; line < 3; ++line) {
            QTest::addRow("%sline %d at 0", qPrintable(size), line)
                << box << line << 0.0f << box.height() - 1 - line;
            QTest::addRow("%sline %d at 1", qPrintable(size), line)
                << box << line << 1.0f << 24 - line;
        }
    }
}

void TestDrawpic::pieceEndsOnItsRow() {
    QFETCH(QSize, box);
    QFETCH(int, line);
    QFETCH(float, ratio);
    QFETCH(int, row);
    Rig rig(box);
    rig.ratios[std::size_t(line)] = ratio;
    const QColor colour = TrafficGraph::LineColours[std::size_t(line)];

    // The second piece runs level at the line's height.
    rig.call(22);
    const int w = box.width();
    const QImage& bitmap = rig.graph.bitmap();
    for (int x = w; x <= w + 6; ++x)
        QVERIFY2(sameColour(bitmap.pixel(x, row), colour), qPrintable(QString::number(x)));
    for (int offset : {-2, 2})
        if (row + offset >= 20 && row + offset < box.height())
            QVERIFY(!sameColour(bitmap.pixel(w + 3, row + offset), colour));

    // Ten calls later it is on show.
    rig.call(10);
    QVERIFY(sameColour(rig.pic.image().pixel(w - 7, row), colour));
    QVERIFY(sameColour(rig.pic.image().pixel(w - 4, row), colour));
}

void TestDrawpic::labelText_data() {
    QTest::addColumn<int>("line");
    QTest::addColumn<float>("ratio2");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("expected");
    const QString c = QStringLiteral("C");
    QTest::newRow("full scale") << 0 << 0.0f << QList<int>{1000, 0, 0} << c << "100/100";
    QTest::newRow("tenths") << 0 << 0.0f << QList<int>{45, 0, 0} << c << "4.5/100";
    QTest::newRow("no trailing zero") << 0 << 0.0f << QList<int>{40, 0, 0} << c << "4/100";
    QTest::newRow("zero") << 0 << 0.0f << QList<int>{0, 0, 0} << c << "0/100";
    QTest::newRow("comma locale") << 0 << 0.0f << QList<int>{45, 0, 0} << "de_DE"
                                  << "4,5/100";
    QTest::newRow("download 7") << 1 << 0.0f << QList<int>{0, 7, 0} << c << "";
    QTest::newRow("download 8") << 1 << 0.0f << QList<int>{0, 8, 0} << c << "8KB/S";
    QTest::newRow("download negative") << 1 << 0.0f << QList<int>{0, -200, 0} << c << "";
    QTest::newRow("upload 15 apart") << 2 << 0.5f << QList<int>{0, 10, 25} << c << "";
    QTest::newRow("upload 16 apart") << 2 << 0.25f << QList<int>{0, 10, 26} << c << "50KB/S";
    QTest::newRow("upload below") << 2 << 0.25f << QList<int>{0, 26, 10} << c << "50KB/S";
    QTest::newRow("upload large, close") << 2 << 0.9f << QList<int>{0, 500, 510} << c << "";
    QTest::newRow("single precision")
        << 2 << 0.123456789f << QList<int>{0, 0, 100} << c << "24.69136KB/S";
    QTest::newRow("extremes do not overflow")
        << 2 << 0.5f << QList<int>{0, -32768, 32767} << c << "100KB/S";
}

void TestDrawpic::labelText() {
    QFETCH(int, line);
    QFETCH(float, ratio2);
    QFETCH(QList<int>, values);
    QFETCH(QString, locale);
    QFETCH(QString, expected);
    const std::array<float, 3> ratios{0.0f, 0.0f, ratio2};
    std::array<qint16, 4> shorts{};
    for (int i = 0; i < 3; ++i)
        shorts[std::size_t(i)] = qint16(values[i]);
    QCOMPARE(TrafficGraph::labelText(line, ratios, shorts, QLocale(locale)), expected);
}

void TestDrawpic::labelsAppearByLine_data() {
    QTest::addColumn<int>("download");
    QTest::addColumn<int>("upload");
    QTest::addColumn<bool>("downloadLabel");
    QTest::addColumn<bool>("uploadLabel");
    QTest::newRow("download 7, upload close") << 7 << 7 << false << false;
    QTest::newRow("download 8") << 8 << 8 << true << false;
    QTest::newRow("upload 10 vs 26") << 10 << 26 << true << true;
    QTest::newRow("upload 10 vs 25") << 10 << 25 << true << false;
    QTest::newRow("upload only") << 0 << 40 << false << true;
}

void TestDrawpic::labelsAppearByLine() {
    QFETCH(int, download);
    QFETCH(int, upload);
    QFETCH(bool, downloadLabel);
    QFETCH(bool, uploadLabel);
    Rig rig(MainBox);
    rig.ratios = {0.5f, 0.3f, 0.7f}; // three label rows well apart
    rig.values = {1000, qint16(download), qint16(upload), 0};
    rig.call(11);
    const QImage& bitmap = rig.graph.bitmap();
    QVERIFY(countInk(bitmap, rig.labelArea(newY(rig, 0), 1)) > 10); // always labelled
    QCOMPARE(countInk(bitmap, rig.labelArea(newY(rig, 1), 1)) > 0, downloadLabel);
    QCOMPARE(countInk(bitmap, rig.labelArea(newY(rig, 2), 1)) > 0, uploadLabel);
}

void TestDrawpic::unchangedHeightGetsNoNewLabel_data() {
    QTest::addColumn<float>("secondRatio");
    QTest::addColumn<bool>("newLabel");
    QTest::newRow("same height") << 0.5f << false;
    QTest::newRow("less than a pixel") << 0.501f << false;
    QTest::newRow("moved") << 0.6f << true;
}

void TestDrawpic::unchangedHeightGetsNoNewLabel() {
    QFETCH(float, secondRatio);
    QFETCH(bool, newLabel);
    Rig rig(MainBox);
    rig.values = {1000, 0, 0, 0}; // only line 0 is ever labelled
    rig.call(21);
    rig.ratios[0] = secondRatio;
    rig.call();
    // The first label has moved 12 pixels left by now; columns W + 1 .. W + 10 can
    // only hold ink of a label written by the 22nd call.
    const QRect fresh = rig.labelArea(newY(rig, 0), 1).adjusted(32, 0, -1, 0);
    QCOMPARE(fresh.left(), MainBox.width() + 1);
    QCOMPARE(countInk(rig.graph.bitmap(), fresh) > 0, newLabel);
}

void TestDrawpic::gridMarksRoundHalvesToEven() {
    // H - 25 = 6: the quarter marks fall on 21.5 and 24.5, which go to 22 and 24.
    Rig rig(QSize(60, 31));
    rig.ratios = {0.0f, 0.0f, 0.0f};
    rig.call(11);
    const QImage& bitmap = rig.graph.bitmap();
    const int x = 60 + 3;
    QVERIFY(sameColour(bitmap.pixel(x, 22), TrafficGraph::GridColour));
    QVERIFY(sameColour(bitmap.pixel(x, 24), TrafficGraph::GridColour));
    QVERIFY(sameColour(bitmap.pixel(x, 25), TrafficGraph::BackgroundColour));
}

void TestDrawpic::gridMarksOnTheMainBox() {
    Rig rig(MainBox);
    rig.ratios = {0.0f, 0.0f, 0.0f};
    rig.call(11);
    const QImage& bitmap = rig.graph.bitmap();
    const int w = MainBox.width();
    const int h = MainBox.height();
    for (int x = w; x < w + 9; ++x) {
        QVERIFY(sameColour(bitmap.pixel(x, 62), TrafficGraph::GridColour));
        QVERIFY(sameColour(bitmap.pixel(x, 104), TrafficGraph::GridColour));
        QVERIFY(sameColour(bitmap.pixel(x, 146), TrafficGraph::GridColour));
        QVERIFY(sameColour(bitmap.pixel(x, 61), TrafficGraph::BackgroundColour));
        QVERIFY(sameColour(bitmap.pixel(x, 147), TrafficGraph::BackgroundColour));
    }
    for (int y = 20; y < h; ++y) // the vertical mark, drawn last, one step left now
        QVERIFY2(sameColour(bitmap.pixel(w - 1, y), TrafficGraph::GridColour),
                 qPrintable(QString::number(y)));
}

void TestDrawpic::headerStaysWhileGraphScrolls() {
    Rig rig(MainBox);
    rig.ratios = {1.0f, 1.0f, 1.0f}; // lines hug the header
    rig.values = {1000, 100, 300, 0};
    for (int n = 0; n < 60; ++n) {
        rig.call();
        const QImage& shown = rig.pic.image();
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < MainBox.width(); ++x)
                if (!sameColour(shown.pixel(x, y), TrafficGraph::HeaderColour))
                    QFAIL(qPrintable(QStringLiteral("call %1: %2,%3").arg(n).arg(x).arg(y)));
    }
    // The lines did reach the box just below the header.
    bool lineBelowHeader = false;
    for (int y = 20; y <= 26; ++y)
        for (const QColor& colour : TrafficGraph::LineColours)
            lineBelowHeader |= sameColour(rig.pic.image().pixel(MainBox.width() - 5, y), colour);
    QVERIFY(lineBelowHeader);
}

void TestDrawpic::graphAreaShiftsByStepPerCall_data() {
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("step");
    QTest::newRow("main box, step 1") << MainBox << 1;
    QTest::newRow("main box, step 2") << MainBox << 2;
    QTest::newRow("small box, step 1") << SmallBox << 1;
}

void TestDrawpic::graphAreaShiftsByStepPerCall() {
    QFETCH(QSize, box);
    QFETCH(int, step);
    Rig rig(box, qint16(step));
    rig.values = {500, 50, 90, 0};
    const int w = box.width();
    const int h = box.height();
    rig.call();
    for (int n = 2; n <= 40; ++n) {
        const QImage before = rig.pic.image().copy();
        rig.ratios = {0.02f * n, 0.3f + 0.01f * n, 0.9f - 0.02f * n};
        const bool drawing = rig.graph.tickCounter() == 10;
        rig.call();
        if (drawing)
            continue; // labels are written over the right end of what is on show
        const QImage& after = rig.pic.image();
        QVERIFY2(after.copy(0, 20, w - step, h - 20) == before.copy(step, 20, w - step, h - 20),
                 qPrintable(QStringLiteral("call %1").arg(n)));
    }
    // The legend has moved out of sight and the lines have come in.
    QVERIFY(countColour(rig.pic.image(), TrafficGraph::LineColours[1]) > 0);
}

void TestDrawpic::faultyCoordinateReachesCaller_data() {
    QTest::addColumn<QList<float>>("list");
    QTest::addColumn<int>("code");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    QTest::newRow("not a number") << QList<float>{nan, 0, 0} << int(runtime::ErrorCode::Overflow);
    QTest::newRow("infinite") << QList<float>{0, -inf, 0} << int(runtime::ErrorCode::Overflow);
    QTest::newRow("too large") << QList<float>{0, 0, 1e30f} << int(runtime::ErrorCode::Overflow);
    QTest::newRow("too few ratios")
        << QList<float>{0, 0} << int(runtime::ErrorCode::SubscriptOutOfRange);
}

void TestDrawpic::faultyCoordinateReachesCaller() {
    QFETCH(QList<float>, list);
    QFETCH(int, code);
    const std::span<const float> ratios(list.constData(), std::size_t(list.size()));
    Surface pic(SmallBox);
    TrafficGraph graph;
    const std::array<qint16, 4> values{0, 0, 0, 0};
    const std::array<float, 3> good{0.5f, 0.5f, 0.5f};
    // The arrays are only read on drawing calls.
    for (int n = 0; n < 10; ++n)
        graph.draw(pic, 1, ratios, values);
    try {
        graph.draw(pic, 1, ratios, values);
        QFAIL("no error");
    } catch (const runtime::RuntimeError& error) {
        QCOMPARE(error.number(), code);
    }
    // The graph goes on with the next call.
    QCOMPARE(graph.tickCounter(), 0);
    graph.draw(pic, 1, good, values);
    QCOMPARE(graph.tickCounter(), 1);
}

void TestDrawpic::labelFontFollowsCreateFontRules_data() {
    QTest::addColumn<int>("dpi");
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("height");
    QTest::newRow("9 pt at 96") << 96 << 9 << 0 << -12;
    QTest::newRow("10 pt at 96 rounds down") << 96 << 10 << 0 << -13;
    QTest::newRow("11 pt at 96 rounds up") << 96 << 11 << 0 << -15;
    QTest::newRow("9 pt at 120") << 120 << 9 << 0 << -15;
    QTest::newRow("turned") << 96 << 9 << 45 << -12;
}

void TestDrawpic::labelFontFollowsCreateFontRules() {
    QFETCH(int, dpi);
    QFETCH(int, points);
    QFETCH(int, angle);
    QFETCH(int, height);
    const QFont expected = forms::gdi::createFont(height, angle * 10, 400, false, false, false,
                                                  QStringLiteral("Times New Roman"));
    QCOMPARE(CreateLabelFont(dpi, qint16(points), angle), expected);
}

void TestDrawpic::moduleFunctionKeepsOneGraph() {
    Surface first(SmallBox);
    const std::array<float, 3> ratios{0.0f, 0.0f, 0.0f};
    const std::array<qint16, 4> values{0, 0, 0, 0};
    DrawTrafficGraph(first, 1, ratios, values);
    QVERIFY(sameColour(first.image().pixel(5, 5), TrafficGraph::HeaderColour));
    // Set up once: a second box gets no header, only the graph area.
    Surface second(SmallBox);
    second.image().fill(Qt::black);
    DrawTrafficGraph(second, 1, ratios, values);
    QVERIFY(sameColour(second.image().pixel(5, 5), QColor(Qt::black)));
    QVERIFY(sameColour(second.image().pixel(5, 70), TrafficGraph::BackgroundColour));
}

// The graph's pens and brushes by what they leave in the bitmap, against the colours and
// widths the graph is drawn with: pens 0 to 2 (2,181,236), (142,255,99), (255,100,100),
// 3 wide; pen 3 (210,245,255) 1 wide; pen 4 the same colour 2 wide; header brush
// (219,245,255); background brush white.
void TestDrawpic::pensAndBrushes_data() {
    QTest::addColumn<QString>("what"); // "line", "mark", "vertical", "header", "background"
    QTest::addColumn<int>("index");    // line number, or the mark's row
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<int>("width"); // thickness across the stroke in pixels
    const int h = MainBox.height();
    QTest::newRow("pen 0: bandwidth") << "line" << 0 << QColor(2, 181, 236) << 3;
    QTest::newRow("pen 1: download") << "line" << 1 << QColor(142, 255, 99) << 3;
    QTest::newRow("pen 2: upload") << "line" << 2 << QColor(255, 100, 100) << 3;
    // (H - 25) / 2 + 20, (H - 25) / 4 + 20, (H - 25) / 4 * 3 + 20 for H = 193.
    QTest::newRow("pen 4: middle mark") << "mark" << 104 << QColor(210, 245, 255) << 2;
    QTest::newRow("pen 3: upper quarter mark") << "mark" << 62 << QColor(210, 245, 255) << 1;
    QTest::newRow("pen 3: lower quarter mark") << "mark" << 146 << QColor(210, 245, 255) << 1;
    QTest::newRow("pen 3: vertical mark") << "vertical" << h << QColor(210, 245, 255) << 1;
    QTest::newRow("header brush") << "header" << 0 << QColor(219, 245, 255) << 0;
    QTest::newRow("background brush") << "background" << 0 << QColor(255, 255, 255) << 0;
}

void TestDrawpic::pensAndBrushes() {
    QFETCH(QString, what);
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QFETCH(int, width);

    Rig rig(MainBox);
    // Lines well apart from each other and from the marks.
    rig.ratios = {0.1f, 0.3f, 0.9f};
    const int w = rig.w();
    const int h = rig.h();
    if (what == u"header" || what == u"background") {
        rig.call();
        const QImage& shown = rig.pic.image();
        const QPoint at = what == u"header" ? QPoint(3, 3) : QPoint(2, h - 3);
        QVERIFY(sameColour(shown.pixel(at), colour));
        QVERIFY(sameColour(rig.graph.bitmap().pixel(at), colour));
        return;
    }
    // The 22nd call draws level pieces and the marks at x = W, then scrolls one pixel.
    rig.call(22);
    const QImage& bitmap = rig.graph.bitmap();
    const auto thickness = [&](int x, int y, bool across) {
        int count = 0;
        for (int d = -5; d <= 5; ++d) {
            const QPoint p = across ? QPoint(x + d, y) : QPoint(x, y + d);
            count += bitmap.rect().contains(p) && sameColour(bitmap.pixel(p), colour) ? 1 : 0;
        }
        return count;
    };
    if (what == u"line") {
        const int row = h - newY(rig, index);
        QVERIFY2(sameColour(bitmap.pixel(w + 3, row), colour), qPrintable(QString::number(row)));
        QCOMPARE(thickness(w + 3, row, false), width);
    } else if (what == u"mark") {
        QVERIFY(sameColour(bitmap.pixel(w + 3, index), colour));
        QCOMPARE(thickness(w + 3, index, false), width);
    } else {
        // From row 20 down to the bottom, one column wide, at W before the scroll.
        for (const int row : {20, 30, h - 1})
            QVERIFY2(sameColour(bitmap.pixel(w - 1, row), colour),
                     qPrintable(QString::number(row)));
        QVERIFY(!sameColour(bitmap.pixel(w - 1, 19), colour));
        QCOMPARE(thickness(w - 1, 30, true), width);
    }
}

// The label of line 0 ("100/100" for a value of 1000) is written in a 9-point Times New
// Roman at 96 dots per inch: a character height of 12 pixels, regular weight, black,
// centred at the top of the label rectangle from W - 30 to W + 12.
void TestDrawpic::labelsUseNinePointTimes() {
    Rig rig(MainBox);
    rig.ratios = {0.5f, 0.0f, 0.0f};
    rig.values = {1000, 0, 0, 0}; // only line 0 gets a label
    rig.call(11);
    const int w = rig.w();
    const int top = rig.h() - newY(rig, 0);
    const QRect area(w - 30 - 1, top, 42, 15); // scrolled one pixel

    QImage expected(rig.graph.bitmap().size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    const QFont font =
        forms::gdi::createFont(-12, 0, 400, false, false, false, QStringLiteral("Times New Roman"));
    forms::gdi::drawText(expected, QStringLiteral("100/100"),
                         forms::gdi::Rect{w - 31, top, w + 11, top + 15},
                         forms::gdi::DtCenter | forms::gdi::DtTop, font, QColor(0, 0, 0));
    int inkPixels = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (x == w - 1)
                continue; // the vertical mark, drawn after the labels
            const bool want = isInk(expected.pixel(x, y));
            inkPixels += want ? 1 : 0;
            QVERIFY2(isInk(rig.graph.bitmap().pixel(x, y)) == want,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            if (want)
                QVERIFY(sameColour(rig.graph.bitmap().pixel(x, y), QColor(0, 0, 0)));
        }
    QVERIFY(inkPixels > 20);
}

// Call by call, the box, the bitmap and the tick counter equal those of the plain graph
// that scrolls its whole bitmap: through many hundred pixels of scrolling, changes of
// step and box size, someone else drawing on the box, and a faulty call.
void TestDrawpic::sameAsPlainCopying_data() {
    QTest::addColumn<QSize>("box");
    QTest::addColumn<QList<int>>("steps"); // one per call, cycled
    QTest::addColumn<int>("calls");
    QTest::addColumn<int>("resizeAt"); // 0 for never
    QTest::addColumn<QSize>("resizeTo");
    QTest::addColumn<int>("printAt"); // someone prints on the box
    QTest::addColumn<int>("faultAt");
    const QList<int> one{1};
    QTest::newRow("main box") << MainBox << one << 1100 << 0 << QSize() << 0 << 0;
    QTest::newRow("small box, step 3")
        << SmallBox << QList<int>{3} << 300 << 0 << QSize() << 0 << 0;
    QTest::newRow("steps vary") << SmallBox << QList<int>{1, 2, 0, 1, -2, 1, 5, 1} << 400 << 0
                                << QSize() << 0 << 0;
    QTest::newRow("wider step than the bitmap")
        << SmallBox << QList<int>{1, 1, 1, 500, 1} << 300 << 0 << QSize() << 0 << 0;
    QTest::newRow("box grows") << SmallBox << one << 400 << 150 << QSize(260, 120) << 0 << 0;
    QTest::newRow("box shrinks below the rows")
        << SmallBox << one << 400 << 150 << QSize(150, 40) << 0 << 0;
    QTest::newRow("box shrinks a little")
        << SmallBox << one << 400 << 150 << QSize(190, 70) << 0 << 0;
    QTest::newRow("someone prints") << SmallBox << one << 300 << 0 << QSize() << 120 << 0;
    QTest::newRow("faulty drawing call") << SmallBox << one << 300 << 0 << QSize() << 0 << 143;
    QTest::newRow("tiny box") << QSize(20, 22) << one << 200 << 0 << QSize() << 0 << 0;
}

void TestDrawpic::sameAsPlainCopying() {
    QFETCH(QSize, box);
    QFETCH(QList<int>, steps);
    QFETCH(int, calls);
    QFETCH(int, resizeAt);
    QFETCH(QSize, resizeTo);
    QFETCH(int, printAt);
    QFETCH(int, faultAt);
    Surface pic(box);
    Surface plainPic(box);
    TrafficGraph graph;
    PlainGraph plain;
    Feed feed;
    std::array<float, 3> ratios{};
    std::array<qint16, 4> values{};
    for (int call = 1; call <= calls; ++call) {
        const auto step = qint16(steps[(call - 1) % steps.size()]);
        feed.fill(ratios, values);
        if (call == faultAt)
            ratios[1] = std::numeric_limits<float>::quiet_NaN();
        if (call == resizeAt) {
            pic.resize(resizeTo);
            plainPic.resize(resizeTo);
        }
        if (call == printAt) {
            pic.print(QStringLiteral("x"));
            plainPic.print(QStringLiteral("x"));
        }
        std::optional<int> error;
        std::optional<int> plainError;
        try {
            graph.draw(pic, step, ratios, values);
        } catch (const runtime::RuntimeError& e) {
            error = e.number();
        }
        try {
            plain.draw(plainPic, step, ratios, values);
        } catch (const runtime::RuntimeError& e) {
            plainError = e.number();
        }
        QCOMPARE(error, plainError);
        QCOMPARE(error.has_value(), call == faultAt);
        QCOMPARE(graph.tickCounter(), plain.tickCounter());
        if (pic.image() != plainPic.image())
            QFAIL(qPrintable(QStringLiteral("box differs after call %1").arg(call)));
        if (graph.bitmap() != plain.bitmap())
            QFAIL(qPrintable(QStringLiteral("bitmap differs after call %1").arg(call)));
    }
    // Lines and labels did come in.
    QVERIFY(countColour(pic.image(), QColor(142, 255, 99)) > 0);
    QVERIFY(countInk(graph.bitmap(), QRect(box.width() - 40, 0, 52, box.height())) > 0);
}

QTEST_MAIN(TestDrawpic)
#include "test_drawpic.moc"
