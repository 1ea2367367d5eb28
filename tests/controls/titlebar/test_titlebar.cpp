#include "controls/titlebar/mictitlebar.h"
#include "controls/titlebar/titlebarpainter.h"

#include "forms/colour.h"
#include "forms/surfacewidget.h"
#include "runtime/errors.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QTest>
#include <QToolTip>

#include <memory>

using namespace tarvo;
using namespace tarvo::forms;

namespace {

// Wine hands a drag that the title bar starts to its window manager, which moves the
// window itself: the bar's own move, for a system without one, is not there to check.
constexpr const char* WineMovesTheWindow = "wine's window manager moves the window";

bool underWine() {
    return qEnvironmentVariableIsSet("TARVO_UNDER_WINE");
}

const QColor TileBlue(114, 170, 240);
const QColor FrameBrown(152, 92, 46);
const QColor WindowBlue(22, 134, 199);
const QPoint FaceOffset(3, 10);

// A plain window hosting a title bar: its background is a retained surface under
// every child, and it counts what the title bar asks of it.
struct TestHost final : TitleBarHost {
    QWidget window;
    SurfaceWidget* back = nullptr;
    bool hasSurface = true;
    bool minButton = true;
    bool maxButton = true;
    int hides = 0;
    int unloads = 0;

    explicit TestHost(QSize size) {
        window.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
        window.resize(size);
        back = new SurfaceWidget(&window);
        back->setGeometry(window.rect());
        back->surface().setBackColor(rgb(22, 134, 199));
    }

    QWidget* hwnd() override { return &window; }
    QSize outerSizeTwips() const override { return window.frameGeometry().size() * 15; }
    Surface* surface() override { return hasSurface ? &back->surface() : nullptr; }
    void Hide() override { ++hides; }
    void Unload() override { ++unloads; }
    bool MinButton() const override { return minButton; }
    bool MaxButton() const override { return maxButton; }
};

struct Rig {
    TestHost host;
    MicTitleBar* bar = nullptr;

    explicit Rig(QSize size = {728, 472}, bool min = true, bool max = true, bool surface = true)
        : host(size) {
        host.minButton = min;
        host.maxButton = max;
        host.hasSurface = surface;
        bar = new MicTitleBar(host, &host.window);
        // Sited narrower and taller than it ends up: the first resize corrects both.
        bar->setGeometry(0, 0, 100, 50);
        host.window.show();
    }

    QRect box(TitlePart part) const { return bar->model().rect(part); }
    QPoint centre(TitlePart part) const { return box(part).center(); }
    // A point of a button's face off its glyph, where the looks differ.
    QPoint face(TitlePart part) const { return box(part).topLeft() + FaceOffset; }
    QColor shown(QPoint at) const { return bar->surface().image().pixelColor(at); }
    QColor hostPixel(int x, int y) const { return host.back->surface().image().pixelColor(x, y); }

    void mouse(QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons,
               std::optional<QPointF> global = {}) {
        QMouseEvent e(type, at, global.value_or(bar->mapToGlobal(at)), button, buttons,
                      Qt::NoModifier);
        QApplication::sendEvent(bar, &e);
    }
    void move(QPointF at, Qt::MouseButtons buttons = Qt::NoButton) {
        mouse(QEvent::MouseMove, at, Qt::NoButton, buttons);
    }
    void press(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseButtonPress, at, button, button);
    }
    void release(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        mouse(QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void click(QPointF at, Qt::MouseButton button = Qt::LeftButton) {
        press(at, button);
        release(at, button);
    }
};

// The pixel of a picture of the standard artwork.
QColor art(TitlePart part, QPoint at) {
    return TitleBarArt::standard()[part]->image().pixelColor(at);
}

} // namespace

class TestTitleBar final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void artwork_data();
    void artwork();
    void geometry_data();
    void geometry();
    void hostRegionCorners_data();
    void hostRegionCorners();
    void hostDressing_data();
    void hostDressing();
    void tilingCoversEdges_data();
    void tilingCoversEdges();
    void emptyTileDrawsNothing();
    void hostWithoutSurfaceIsStillShaped();
    void unavailableButtons_data();
    void unavailableButtons();
    void hoverRoundTrip_data();
    void hoverRoundTrip();
    void movementWithButtonPressedChangesNothing();
    void hoverEndsOnLeavingDeactivationOrHiding();
    void clicks_data();
    void clicks();
    void dragMovesWindow();
    void onlyLeftDragOnStripMoves_data();
    void onlyLeftDragOnStripMoves();
    void toolTips_data();
    void toolTips();
};

// The offscreen platform cannot shape a window and says so every time; the widget
// still keeps the mask it was given, which is what the tests read.
QtMessageHandler previousHandler = nullptr;
void quietAboutPlatformLimits(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    previousHandler(type, context, message);
}

void TestTitleBar::initTestCase() {
    previousHandler = qInstallMessageHandler(quietAboutPlatformLimits);
}

// ---- artwork ----

void TestTitleBar::artwork_data() {
    QTest::addColumn<int>("part");
    QTest::addColumn<QSize>("size");
    using P = TitlePart;
    QTest::newRow("left cap") << int(P::ImageL) << QSize(8, 24);
    QTest::newRow("title") << int(P::Image1) << QSize(187, 21);
    QTest::newRow("gradient strip") << int(P::ImageM) << QSize(100, 25);
    QTest::newRow("right cap") << int(P::ImageR) << QSize(9, 24);
    for (P p : {P::PicMinU, P::PicMaxU, P::PicCloseU, P::PicMin, P::PicMax, P::PicClose, P::PicUn,
                P::Picture000})
        QTest::newRow(qPrintable(QStringLiteral("button-sized %1").arg(int(p))))
            << int(p) << QSize(21, 20);
}

void TestTitleBar::artwork() {
    QFETCH(int, part);
    QFETCH(QSize, size);
    const Picture& picture = TitleBarArt::standard()[TitlePart(part)];
    QVERIFY(!isEmpty(picture));
    QCOMPARE(picture->type(), PictureType::Bitmap);
    QCOMPARE(picture->image().size(), size);
    if (TitlePart(part) == TitlePart::PicUn || TitlePart(part) == TitlePart::Picture000) {
        for (QPoint at : {QPoint(0, 0), QPoint(10, 10), QPoint(20, 19)})
            QCOMPARE(picture->image().pixelColor(at), TileBlue);
    }
}

// ---- sizing and dressing ----

void TestTitleBar::geometry_data() {
    QTest::addColumn<int>("hostWidth");
    QTest::addColumn<int>("middleWidth");
    QTest::addColumn<int>("rightCap");
    QTest::addColumn<int>("minLeft");
    QTest::addColumn<int>("maxLeft");
    QTest::addColumn<int>("closeLeft");

    QTest::newRow("main window, 10920 twips") << 728 << 714 << 719 << 656 << 680 << 703;
    QTest::newRow("narrow host") << 300 << 286 << 291 << 228 << 252 << 275;
}

void TestTitleBar::geometry() {
    QFETCH(int, hostWidth);
    QFETCH(int, middleWidth);
    QFETCH(int, rightCap);
    QFETCH(int, minLeft);
    QFETCH(int, maxLeft);
    QFETCH(int, closeLeft);
    Rig r(QSize(hostWidth, 200));

    QCOMPARE(r.bar->geometry(), QRect(0, 0, hostWidth, 24));
    QCOMPARE(r.bar->surface().size(), QSize(hostWidth, 24));
    QCOMPARE(r.box(TitlePart::ImageM), QRect(8, 0, middleWidth, 24));
    QCOMPARE(r.box(TitlePart::ImageR), QRect(rightCap, 0, 9, 24));
    QCOMPARE(r.box(TitlePart::PicMinU), QRect(minLeft, 2, 21, 20));
    QCOMPARE(r.box(TitlePart::PicMaxU), QRect(maxLeft, 2, 21, 20));
    QCOMPARE(r.box(TitlePart::PicCloseU), QRect(closeLeft, 2, 21, 20));
    QCOMPARE(r.box(TitlePart::Image1), QRect(6, 2, 187, 21));

    // The strip shows the title over the stretched middle, and the close button.
    QCOMPARE(r.shown(QPoint(6 + 30, 2 + 9)), art(TitlePart::Image1, QPoint(30, 9)));
    QCOMPARE(r.shown(QPoint(closeLeft + 10, 2 + 10)), art(TitlePart::PicCloseU, QPoint(10, 10)));
    QCOMPARE(r.shown(QPoint(hostWidth - 1, 5)), art(TitlePart::ImageR, QPoint(8, 5)));
    // The middle is stretched over its whole width; its gradient runs top to bottom.
    QCOMPARE(r.shown(QPoint(minLeft - 1, 0)), art(TitlePart::ImageM, QPoint(99, 0)));
}

void TestTitleBar::hostRegionCorners_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("inside");

    const int right = 727;
    const QList<QPoint> cut{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {0, 1}, {1, 1}, {0, 2}, {0, 3}};
    for (QPoint p : cut) {
        QTest::addRow("cut %d,%d", p.x(), p.y()) << p << false;
        QTest::addRow("cut mirror %d,%d", right - p.x(), p.y())
            << QPoint(right - p.x(), p.y()) << false;
    }
    const QList<QPoint> kept{{4, 0}, {2, 1}, {1, 2}, {1, 3}, {0, 4}, {0, 471}};
    for (QPoint p : kept) {
        QTest::addRow("kept %d,%d", p.x(), p.y()) << p << true;
        QTest::addRow("kept mirror %d,%d", right - p.x(), p.y())
            << QPoint(right - p.x(), p.y()) << true;
    }
    QTest::newRow("beyond the right edge") << QPoint(728, 4) << false;
    QTest::newRow("beyond the bottom") << QPoint(0, 472) << false;
}

void TestTitleBar::hostRegionCorners() {
    QFETCH(QPoint, at);
    QFETCH(bool, inside);
    Rig r;
    QCOMPARE(r.host.window.mask().contains(at), inside);
    QCOMPARE(hostRegion(728, 472).contains(at), inside);
}

void TestTitleBar::hostDressing_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QColor>("colour");

    QTest::newRow("left edge above the frame") << QPoint(0, 20) << TileBlue;
    QTest::newRow("left frame starts at 21") << QPoint(0, 21) << FrameBrown;
    QTest::newRow("left frame low") << QPoint(0, 470) << FrameBrown;
    QTest::newRow("bottom left corner") << QPoint(0, 471) << FrameBrown;
    QTest::newRow("bottom middle") << QPoint(363, 471) << FrameBrown;
    QTest::newRow("bottom right corner") << QPoint(727, 471) << FrameBrown;
    QTest::newRow("right frame starts at 21") << QPoint(727, 21) << FrameBrown;
    QTest::newRow("right edge above the frame") << QPoint(727, 20) << TileBlue;
    QTest::newRow("inside the frame, bottom right") << QPoint(726, 470) << TileBlue;
    QTest::newRow("inside the frame, left") << QPoint(1, 21) << TileBlue;
    QTest::newRow("middle") << QPoint(363, 200) << TileBlue;
}

void TestTitleBar::hostDressing() {
    QFETCH(QPoint, at);
    QFETCH(QColor, colour);
    Rig r;
    QCOMPARE(r.hostPixel(at.x(), at.y()), colour);
}

void TestTitleBar::tilingCoversEdges_data() {
    QTest::addColumn<QSize>("surfaceSize");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QPoint>("tileAt");

    QTest::newRow("origin") << QSize(50, 45) << QPoint(0, 0) << QPoint(0, 0);
    QTest::newRow("second column") << QSize(50, 45) << QPoint(21, 3) << QPoint(0, 3);
    QTest::newRow("partial tile at the bottom right")
        << QSize(50, 45) << QPoint(49, 44) << QPoint(7, 4);
    QTest::newRow("whole tiles, last pixel") << QSize(42, 40) << QPoint(41, 39) << QPoint(20, 19);
    QTest::newRow("one pixel past a whole tile") << QSize(43, 41) << QPoint(42, 40) << QPoint(0, 0);
}

void TestTitleBar::tilingCoversEdges() {
    QFETCH(QSize, surfaceSize);
    QFETCH(QPoint, at);
    QFETCH(QPoint, tileAt);
    QImage pattern(21, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 21; ++x)
            pattern.setPixelColor(x, y, QColor(x * 12, y * 12, 77));
    Surface surface(surfaceSize);
    surface.setBackColor(rgb(1, 2, 3));
    tileImage(surface, PictureObject::fromImage(pattern));
    QCOMPARE(surface.image().pixelColor(at), pattern.pixelColor(tileAt));
}

void TestTitleBar::emptyTileDrawsNothing() {
    Surface surface(QSize(30, 30));
    surface.setBackColor(rgb(1, 2, 3));
    QVERIFY_THROWS_EXCEPTION(runtime::RuntimeError, tileImage(surface, PictureObject::none()));
    QCOMPARE(surface.image().pixelColor(29, 29), QColor(1, 2, 3));
}

// Dressing steps that need a surface are skipped one by one; the rest still run.
void TestTitleBar::hostWithoutSurfaceIsStillShaped() {
    Rig r(QSize(728, 472), true, true, false);
    QCOMPARE(r.bar->geometry(), QRect(0, 0, 728, 24));
    QCOMPARE(r.box(TitlePart::PicCloseU).left(), 703);
    QVERIFY(!r.host.window.mask().contains(QPoint(0, 0)));
    QVERIFY(r.host.window.mask().contains(QPoint(0, 4)));
    QCOMPARE(r.hostPixel(0, 100), WindowBlue);
    QCOMPARE(r.hostPixel(363, 200), WindowBlue);
}

// ---- pointer ----

void TestTitleBar::unavailableButtons_data() {
    QTest::addColumn<bool>("minButton");
    QTest::addColumn<bool>("maxButton");
    QTest::addColumn<int>("off");
    QTest::addColumn<int>("on");
    QTest::newRow("no maximise") << true << false << int(TitlePart::PicMaxU)
                                 << int(TitlePart::PicMinU);
    QTest::newRow("no minimise") << false << true << int(TitlePart::PicMinU)
                                 << int(TitlePart::PicMaxU);
}

void TestTitleBar::unavailableButtons() {
    QFETCH(bool, minButton);
    QFETCH(bool, maxButton);
    QFETCH(int, off);
    QFETCH(int, on);
    Rig r(QSize(728, 472), minButton, maxButton);
    const TitlePart unavailable = TitlePart(off);
    const QPoint c = r.centre(unavailable);
    QCOMPARE(r.shown(c), TileBlue);
    QCOMPARE(r.shown(r.box(unavailable).topLeft()), TileBlue);
    QVERIFY(!r.bar->model().enabled(unavailable));
    QVERIFY(r.bar->model().enabled(TitlePart(on)));

    // It ignores the pointer: no hover look, no click, no drag of the window.
    r.move(c);
    QVERIFY(!r.bar->hovered());
    QCOMPARE(r.shown(c), TileBlue);
    const QPoint windowAt = r.host.window.pos();
    r.press(c);
    r.move(c + QPoint(50, 50), Qt::LeftButton);
    r.release(c + QPoint(50, 50));
    r.click(c);
    QCOMPARE(r.host.window.pos(), windowAt);
    QCOMPARE(r.host.hides, 0);
    QCOMPARE(r.shown(c), TileBlue);

    // A double click on the strip's middle clicks the maximise button only when it is
    // available; that click would bring its normal look back.
    const QPoint middle(400, 12);
    r.mouse(QEvent::MouseButtonDblClick, middle, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(r.shown(c), TileBlue);
}

void TestTitleBar::hoverRoundTrip_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("source");
    QTest::newRow("minimise") << int(TitlePart::PicMinU) << int(TitlePart::PicMin);
    QTest::newRow("maximise") << int(TitlePart::PicMaxU) << int(TitlePart::PicMax);
    QTest::newRow("close") << int(TitlePart::PicCloseU) << int(TitlePart::PicClose);
}

void TestTitleBar::hoverRoundTrip() {
    QFETCH(int, button);
    QFETCH(int, source);
    Rig r;
    const TitlePart b = TitlePart(button);
    const QRect box = r.box(b);
    const QPoint probe = r.face(b);
    const QColor normal = art(b, FaceOffset);
    const QColor hover = art(TitlePart(source), FaceOffset);
    QVERIFY(normal != hover);
    QCOMPARE(r.shown(probe), normal);

    r.move(probe);
    QCOMPARE(r.shown(probe), hover);
    // Exactly on the box's width and height still counts as over it.
    r.move(box.topLeft() + QPointF(21, 20));
    QCOMPARE(r.shown(probe), hover);
    r.move(box.topLeft() + QPointF(22, 10));
    QCOMPARE(r.shown(probe), normal);
    QVERIFY(!r.bar->hovered());

    // From the button straight onto the strip: normal at the first move seen outside.
    r.move(probe);
    QCOMPARE(r.shown(probe), hover);
    r.move(QPointF(400, 12));
    QCOMPARE(r.shown(probe), normal);
    r.move(box.topLeft() + QPointF(10, -1));
    QCOMPARE(r.shown(probe), normal);
}

void TestTitleBar::movementWithButtonPressedChangesNothing() {
    Rig r;
    const QPoint close = r.face(TitlePart::PicCloseU);
    const QColor normal = r.shown(close);
    r.move(close, Qt::RightButton);
    QCOMPARE(r.shown(close), normal);
    QVERIFY(!r.bar->hovered());

    r.move(close);
    const QColor hover = r.shown(close);
    QVERIFY(hover != normal);
    r.move(QPointF(400, 12), Qt::LeftButton);
    QCOMPARE(r.shown(close), hover);
}

void TestTitleBar::hoverEndsOnLeavingDeactivationOrHiding() {
    Rig r;
    const QPoint close = r.face(TitlePart::PicCloseU);
    const QColor normal = r.shown(close);
    r.move(close);
    QVERIFY(r.shown(close) != normal);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(r.bar, &leave);
    QCOMPARE(r.shown(close), normal);
    QVERIFY(!r.bar->hovered());

    // Another window taking the activation.
    QApplication::setActiveWindow(&r.host.window);
    r.move(close);
    QVERIFY(r.shown(close) != normal);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    QVERIFY(!r.host.window.isActiveWindow());
    QCOMPARE(r.shown(close), normal);
    QVERIFY(!r.bar->hovered());

    r.move(close);
    QVERIFY(r.shown(close) != normal);
    r.host.window.hide();
    QCOMPARE(r.shown(close), normal);
    QVERIFY(!r.bar->hovered());
}

void TestTitleBar::clicks_data() {
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("mouseButton");
    QTest::addColumn<int>("hides");
    QTest::addColumn<int>("unloads");
    QTest::addColumn<bool>("normalAfter");

    QTest::newRow("close unloads")
        << int(TitlePart::PicCloseU) << int(Qt::LeftButton) << 0 << 1 << true;
    QTest::newRow("minimise hides")
        << int(TitlePart::PicMinU) << int(Qt::LeftButton) << 1 << 0 << true;
    QTest::newRow("maximise only looks normal")
        << int(TitlePart::PicMaxU) << int(Qt::LeftButton) << 0 << 0 << true;
    QTest::newRow("right click on close")
        << int(TitlePart::PicCloseU) << int(Qt::RightButton) << 0 << 0 << false;
}

void TestTitleBar::clicks() {
    QFETCH(int, button);
    QFETCH(int, mouseButton);
    QFETCH(int, hides);
    QFETCH(int, unloads);
    QFETCH(bool, normalAfter);
    Rig r;
    const TitlePart b = TitlePart(button);
    const QPoint c = r.face(b);
    const QColor normal = art(b, FaceOffset);
    r.move(c);
    QVERIFY(r.shown(c) != normal);
    r.click(c, Qt::MouseButton(mouseButton));
    QCOMPARE(r.host.hides, hides);
    QCOMPARE(r.host.unloads, unloads);
    QCOMPARE(r.shown(c) == normal, normalAfter);
    QCOMPARE(!r.bar->hovered(), normalAfter);

    // Released off the button: no click.
    r.press(c);
    r.release(QPointF(400, 12));
    QCOMPARE(r.host.hides, hides);
    QCOMPARE(r.host.unloads, unloads);
}

// No window manager here: the title bar moves the window itself.
void TestTitleBar::dragMovesWindow() {
    if (underWine())
        QSKIP(WineMovesTheWindow);
    Rig r;
    r.host.window.move(50, 40);
    const QPoint start = r.host.window.pos();
    const QPointF at(400, 12);
    const QPointF global(450, 52);
    r.mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, global);
    QVERIFY(r.bar->isMovingWindow());
    r.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, global + QPointF(30, 10));
    QCOMPARE(r.host.window.pos(), start + QPoint(30, 10));
    r.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::LeftButton, global + QPointF(100, 60));
    QCOMPARE(r.host.window.pos(), start + QPoint(100, 60));
    r.mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton,
            global + QPointF(100, 60));
    QVERIFY(!r.bar->isMovingWindow());
    r.mouse(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, global + QPointF(200, 200));
    QCOMPARE(r.host.window.pos(), start + QPoint(100, 60));
}

void TestTitleBar::onlyLeftDragOnStripMoves_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("moves");
    QTest::newRow("left on the left cap") << QPoint(2, 12) << int(Qt::LeftButton) << true;
    QTest::newRow("left on the title") << QPoint(60, 12) << int(Qt::LeftButton) << true;
    QTest::newRow("left on the right cap") << QPoint(725, 12) << int(Qt::LeftButton) << true;
    QTest::newRow("right on the strip") << QPoint(400, 12) << int(Qt::RightButton) << false;
    QTest::newRow("middle on the strip") << QPoint(400, 12) << int(Qt::MiddleButton) << false;
    QTest::newRow("left on the close button") << QPoint(713, 12) << int(Qt::LeftButton) << false;
}

void TestTitleBar::onlyLeftDragOnStripMoves() {
    QFETCH(QPoint, at);
    QFETCH(int, button);
    QFETCH(bool, moves);
    if (moves && underWine())
        QSKIP(WineMovesTheWindow);
    Rig r;
    const QPoint start = r.host.window.pos();
    const auto b = Qt::MouseButton(button);
    r.mouse(QEvent::MouseButtonPress, at, b, b, QPointF(at));
    // No move starts at all: under a window manager it would follow the pointer.
    QCOMPARE(r.bar->isMovingWindow(), moves);
    r.mouse(QEvent::MouseMove, at, Qt::NoButton, b, QPointF(at + QPoint(100, 60)));
    r.mouse(QEvent::MouseButtonRelease, at, b, Qt::NoButton, QPointF(at + QPoint(100, 60)));
    QCOMPARE(r.host.window.pos(), moves ? start + QPoint(100, 60) : start);
}

void TestTitleBar::toolTips_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QString>("text");
    QTest::newRow("minimise") << QPoint(666, 12) << QStringLiteral("最小化");
    QTest::newRow("maximise") << QPoint(690, 12) << QStringLiteral("最大化");
    QTest::newRow("close") << QPoint(713, 12) << QStringLiteral("关闭");
    QTest::newRow("strip") << QPoint(400, 12) << QString();
}

void TestTitleBar::toolTips() {
    QFETCH(QPoint, at);
    QFETCH(QString, text);
    Rig r;
    // The last row's tip goes on a timer of its own (at once offscreen, later under wine).
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
    QHelpEvent help(QEvent::ToolTip, at, r.bar->mapToGlobal(at));
    QApplication::sendEvent(r.bar, &help);
    QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), text);
    QToolTip::hideText();
}

QTEST_MAIN(TestTitleBar)
#include "test_titlebar.moc"
