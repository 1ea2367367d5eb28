#include "controls/button/accesskey.h"
#include "controls/button/buttoncolour.h"
#include "controls/button/buttonmodel.h"
#include "controls/button/buttonpersistence.h"
#include "controls/button/buttonprimitives.h"
#include "controls/button/colourtables.h"
#include "controls/button/drawcontent.h"
#include "runtime/errors.h"

#include <QApplication>
#include <QTest>

using namespace tarvo;
using forms::OleColor;

namespace {

// Records what the state machine asks of its widget.
struct Recorder final : ButtonHost {
    QStringList trace;
    int redraws = 0;
    const ButtonModel* model = nullptr; // when set: which look each redraw shows
    int drawnLook = -1;
    int lookAtClick = -1; // the look on the screen when Click was raised
    void redraw() override {
        ++redraws;
        if (model)
            drawnLook = model->state().visualState;
    }
    void raise(ButtonEvent event, const EventArgs& args) override {
        if (event == ButtonEvent::Click)
            lookAtClick = drawnLook;
        static const char* names[] = {"Click",     "DblClick", "MouseEnter", "MouseLeave",
                                      "MouseMove", "MouseUp",  "MouseDown",  "KeyDown",
                                      "KeyUp",     "KeyPress"};
        QString entry = QString::fromLatin1(names[int(event)]);
        if (event == ButtonEvent::KeyDown || event == ButtonEvent::KeyUp)
            entry += QLatin1Char(':') + QString::number(args.button);
        trace << entry;
    }
    void runOptionGroup() override { trace << QStringLiteral("group"); }
    void doEvents() override { trace << QStringLiteral("doEvents"); }
    void focusNeighbour(bool next) override { trace << (next ? "focus+" : "focus-"); }
    void showTooltip() override { trace << QStringLiteral("tooltip"); }
};

constexpr int W = 60;
constexpr int H = 24;

// Runs a script of input words against the model.
void play(ButtonModel& m, const QString& script) {
    for (const QString& word : script.split(u' ', Qt::SkipEmptyParts)) {
        if (word == u"press")
            m.mouseDown(1, 0, 10, 10);
        else if (word == u"rpress")
            m.mouseDown(2, 0, 10, 10);
        else if (word == u"release")
            m.mouseUp(1, 0, 10, 10, W, H);
        else if (word == u"releaseOut")
            m.mouseUp(1, 0, 0, 10, W, H);
        else if (word == u"move")
            m.mouseMove(true);
        else if (word == u"out")
            m.mouseMove(false);
        else if (word == u"leave")
            m.mouseLeave();
        else if (word == u"dbl")
            m.dblClick();
        else if (word == u"space")
            m.keyDown(32, 0);
        else if (word == u"altspace")
            m.keyDown(32, 4);
        else if (word == u"spaceUp")
            m.keyUp(32, 0);
        else if (word == u"keyA")
            m.keyDown(65, 0);
        else if (word == u"enter")
            m.keyDown(13, 0);
        else if (word == u"left")
            m.keyDown(37, 0);
        else if (word == u"down")
            m.keyDown(40, 0);
        else if (word == u"activate")
            m.parentActivated();
        else if (word == u"blur")
            m.lostFocus();
        else if (word.startsWith(u"access:"))
            m.accessKeyPress(word.mid(7).toInt());
        else
            QFAIL(qPrintable(QStringLiteral("unknown word ") + word));
    }
}

forms::Font tahomaLess() {
    return forms::makeFont({QStringLiteral("宋体"), 9.0, 400, forms::CharsetGb2312});
}

} // namespace

class TestButtonModel final : public QObject {
    Q_OBJECT
private slots:
    void shiftColor_data();
    void shiftColor();
    void mixColor_data();
    void mixColor();
    void translateColor();
    void creationTables();
    void gradientSteps_data();
    void gradientSteps();
    void primitivesExcludeEndPoints();

    void accessKeys_data();
    void accessKeys();

    void scripts_data();
    void scripts();
    void releasePoint_data();
    void releasePoint();
    void valueFromCode();

    void styleSetter_data();
    void styleSetter();
    void schemeColours_data();
    void schemeColours();
    void backColorMakesSchemeCustom();
    void pictureSetters();
    void pointerSetters();

    void storedKeys_data();
    void storedKeys();
    void emptyBagStoresOnlyCaptionEffects();
    void opacityOutOfByteRange();
    void form1BagIsANewStyle10Button();
};

// ---- colour arithmetic ----

void TestButtonModel::shiftColor_data() {
    QTest::addColumn<uint>("colour");
    QTest::addColumn<float>("amount");
    QTest::addColumn<uint>("expected");
    QTest::newRow("+0.3 of black: 76.5 rounds to even") << 0x000000u << 0.3f << 0x4C4C4Cu;
    QTest::newRow("-0.3 of white") << 0xFFFFFFu << -0.3f << 0xB3B3B3u;
    QTest::newRow("+0.1: 25.5 rounds to 26") << 0x102030u << 0.1f << 0x2A3A4Au;
    QTest::newRow("-0.1 of grey") << 0x808080u << -0.1f << 0x666666u;
    QTest::newRow("clamped at 255") << 0xF0F0F0u << 0.1f << 0xFFFFFFu;
    QTest::newRow("clamped at 0") << 0x101010u << -0.1f << 0x000000u;
    QTest::newRow("per channel") << 0x00FF80u << 0.2f << 0x33FFB3u;
    QTest::newRow("zero amount") << 0x123456u << 0.0f << 0x123456u;
}

void TestButtonModel::shiftColor() {
    QFETCH(uint, colour);
    QFETCH(float, amount);
    QFETCH(uint, expected);
    QCOMPARE(ShiftColor(colour, amount), OleColor(expected));
}

void TestButtonModel::mixColor_data() {
    QTest::addColumn<uint>("a");
    QTest::addColumn<uint>("b");
    QTest::addColumn<uint>("expected");
    QTest::newRow("1.5 goes up to 2") << 0x000000u << 0x030303u << 0x020202u;
    QTest::newRow("2.5 goes down to 2") << 0x000000u << 0x050505u << 0x020202u;
    QTest::newRow("per channel") << 0x010203u << 0x020406u << 0x020304u;
    QTest::newRow("white and black") << 0xFFFFFFu << 0x000000u << 0x808080u;
}

void TestButtonModel::mixColor() {
    QFETCH(uint, a);
    QFETCH(uint, b);
    QFETCH(uint, expected);
    QCOMPARE(MixColor(a, b), OleColor(expected));
}

void TestButtonModel::translateColor() {
    QCOMPARE(TranslateColor(0x123456), OleColor(0x123456));
    QCOMPARE(TranslateColor(forms::syscolour::ButtonText),
             forms::fromQColor(QApplication::palette().color(QPalette::ButtonText)));
    QCOMPARE(TranslateColor(0x800000FF), OleColor(0xFFFFFFFF));
    QCOMPARE(TranslateColor(0x01000000), OleColor(0xFFFFFFFF));
}

void TestButtonModel::creationTables() {
    const ChannelTable& up = BrightenTable();
    const ChannelTable& down = DarkenTable();
    QCOMPARE(int(up[230]), 255); // 264 clamped
    QCOMPARE(int(up[100]), 114);
    QCOMPARE(int(up[0]), 0);
    QCOMPARE(int(down[255]), 217);
    QCOMPARE(int(down[100]), 85);
    QCOMPARE(int(down[1]), 0);
}

void TestButtonModel::gradientSteps_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("direction");
    QTest::addColumn<uint>("from");
    QTest::addColumn<uint>("to");
    QTest::addColumn<QList<uint>>("expected"); // the red channel of each step
    QTest::newRow("five columns") << QSize(5, 2) << 0 << 0x000000u << 0x000064u
                                  << QList<uint>{0, 25, 50, 75, 100};
    QTest::newRow("falling: integer division")
        << QSize(4, 1) << 0 << 0x000064u << 0x000000u << QList<uint>{100, 67, 34, 0};
    QTest::newRow("four rows") << QSize(1, 4) << 1 << 0x000000u << 0x00000Au
                               << QList<uint>{0, 3, 6, 10};
    QTest::newRow("one row: the mean")
        << QSize(3, 1) << 1 << 0x000003u << 0x000000u << QList<uint>{2, 2, 2};
    QTest::newRow("one column: the mean")
        << QSize(1, 3) << 0 << 0x000005u << 0x000000u << QList<uint>{2, 2, 2};
}

void TestButtonModel::gradientSteps() {
    QFETCH(QSize, size);
    QFETCH(int, direction);
    QFETCH(uint, from);
    QFETCH(uint, to);
    QFETCH(QList<uint>, expected);
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::blue);
    buttondraw::DrawGradient(image, 1, 1, size.width(), size.height(), from, to, direction);
    // Along the steps, or along the line when there is a single step.
    const bool alongX = size.height() == 1 || (direction == 0 && size.width() > 1);
    for (int i = 0; i < expected.size(); ++i) {
        const QPoint at = alongX ? QPoint(1 + i, 1) : QPoint(1, 1 + i);
        QCOMPARE(uint(qRed(image.pixel(at))), expected[i]);
    }
    // Nothing outside the block.
    QCOMPARE(image.pixel(0, 0), QColor(Qt::blue).rgb());
    QCOMPARE(image.pixel(1 + size.width(), 1), QColor(Qt::blue).rgb());
    buttondraw::DrawGradient(image, 0, 0, 0, 3, 0xFFFFFF, 0xFFFFFF, 1);
    QCOMPARE(image.pixel(0, 0), QColor(Qt::blue).rgb());
}

void TestButtonModel::primitivesExcludeEndPoints() {
    QImage image(10, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    buttondraw::DrawLine(image, 1, 1, 5, 1, 0x0000FF);
    QCOMPARE(image.pixelColor(4, 1), QColor(Qt::red));
    QCOMPARE(image.pixelColor(5, 1), QColor(Qt::black));
    buttondraw::FrameBox(image, 2, 3, 4, 3, 0x00FF00);
    QCOMPARE(image.pixelColor(2, 3), QColor(Qt::green));
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::green));
    QCOMPARE(image.pixelColor(3, 4), QColor(Qt::black)); // one pixel wide
    QCOMPARE(image.pixelColor(6, 5), QColor(Qt::black)); // right edge excluded
    buttondraw::CornerDots(image, 0xFFFFFF);
    for (const QPoint at : {QPoint(1, 1), QPoint(1, 8), QPoint(8, 1), QPoint(8, 8)})
        QCOMPARE(image.pixelColor(at), QColor(Qt::white));
}

// ---- access keys ----

void TestButtonModel::accessKeys_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("key"); // empty: none
    QTest::addColumn<QString>("shown");
    QTest::newRow("plain") << "&Hide"
                           << "h"
                           << "Hide";
    QTest::newRow("inside") << "x&Y"
                            << "y"
                            << "xY";
    QTest::newRow("no ampersand") << "Hide"
                                  << ""
                                  << "Hide";
    QTest::newRow("one character") << "&"
                                   << ""
                                   << "";
    QTest::newRow("ends in its only ampersand") << "Hide&"
                                                << ""
                                                << "Hide";
    QTest::newRow("doubled, then a single one") << "A&&B&c"
                                                << "c"
                                                << "A&Bc";
    QTest::newRow("doubled, nothing later") << "A&&B"
                                            << ""
                                            << "A&B";
    QTest::newRow("doubled twice") << "A&&B&&c"
                                   << ""
                                   << "A&B&c";
    QTest::newRow("doubled, then one at the end") << "A&&B&"
                                                  << ""
                                                  << "A&B";
    QTest::newRow("triple") << "&&&x"
                            << "x"
                            << "&x";
    QTest::newRow("Chinese") << "隐藏(&H)"
                             << "h"
                             << "隐藏(H)";
}

void TestButtonModel::accessKeys() {
    QFETCH(QString, caption);
    QFETCH(QString, key);
    QFETCH(QString, shown);
    const std::optional<QChar> found = accessKey(caption);
    QCOMPARE(found ? QString(*found) : QString(), key);
    QCOMPARE(ContentPainter::displayText(caption), shown);
}

// ---- state machine ----

void TestButtonModel::scripts_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("events");
    QTest::addColumn<int>("visual");
    QTest::addColumn<bool>("value");

    QTest::newRow("click") << 0 << "press release"
                           << "MouseDown Click MouseUp" << 0 << false;
    QTest::newRow("release outside: no click") << 0 << "press releaseOut"
                                               << "MouseDown MouseUp" << 2 << false;
    QTest::newRow("back over after a release outside is hot")
        << 0 << "press releaseOut move"
        << "MouseDown MouseUp MouseEnter tooltip" << 1 << false;
    QTest::newRow("right press is not a press") << 0 << "rpress"
                                                << "" << 0 << false;
    QTest::newRow("check toggles") << 1 << "press release"
                                   << "MouseDown Click MouseUp" << 2 << true;
    QTest::newRow("check toggles back")
        << 1 << "press release press release"
        << "MouseDown Click MouseUp MouseDown Click MouseUp" << 0 << false;
    QTest::newRow("option runs its group") << 2 << "press release"
                                           << "MouseDown group Click MouseUp" << 2 << true;
    QTest::newRow("space clicks on release") << 0 << "space spaceUp"
                                             << "KeyDown:32 Click KeyUp:32" << 0 << false;
    QTest::newRow("space over the button ends hot")
        << 0 << "move space spaceUp"
        << "MouseEnter tooltip KeyDown:32 Click KeyUp:32" << 1 << false;
    QTest::newRow("space sets a check button on key down") << 1 << "space"
                                                           << "KeyDown:32" << 2 << true;
    QTest::newRow("space on an option button") << 2 << "space"
                                               << "group KeyDown:32" << 2 << true;
    QTest::newRow("alt+space does nothing") << 0 << "altspace"
                                            << "" << 0 << false;
    QTest::newRow("a second key cancels space") << 0 << "space keyA spaceUp"
                                                << "KeyDown:32 KeyDown:65 KeyUp:32" << 0 << false;
    QTest::newRow("space while the mouse is down")
        << 0 << "move press space spaceUp"
        << "MouseEnter tooltip MouseDown KeyDown:32 KeyUp:32" << 2 << false;
    QTest::newRow("enter clicks at once") << 1 << "enter"
                                          << "Click KeyDown:13" << 0 << false;
    QTest::newRow("arrows move the focus") << 0 << "left down"
                                           << "focus- KeyDown:37 focus+ KeyDown:40" << 0 << false;
    QTest::newRow("mouse enter repeats, the tip shows once")
        << 0 << "move move"
        << "MouseEnter tooltip MouseEnter" << 1 << false;
    QTest::newRow("leave") << 0 << "move leave"
                           << "MouseEnter tooltip MouseLeave" << 0 << false;
    QTest::newRow("leave while space is held") << 0 << "space leave"
                                               << "KeyDown:32" << 2 << false;
    QTest::newRow("moving off while pressed") << 0 << "move press out"
                                              << "MouseEnter tooltip MouseDown" << 0 << false;
    QTest::newRow("double click replays the press") << 0 << "press dbl"
                                                    << "MouseDown MouseDown DblClick" << 2 << false;
    QTest::newRow("access key on a check button") << 1 << "access:104"
                                                  << "doEvents Click" << 2 << true;
    QTest::newRow("Enter as access key: nothing in check mode") << 1 << "access:13"
                                                                << "" << 0 << false;
    QTest::newRow("Escape as access key clicks in push mode") << 0 << "access:27"
                                                              << "doEvents Click" << 0 << false;
    QTest::newRow("focus lost over an active window: hot") << 0 << "activate move blur"
                                                           << "MouseEnter tooltip" << 1 << false;
    QTest::newRow("focus lost in an inactive window: normal") << 0 << "move blur"
                                                              << "MouseEnter tooltip" << 0 << false;
}

void TestButtonModel::scripts() {
    QFETCH(int, mode);
    QFETCH(QString, script);
    QFETCH(QString, events);
    QFETCH(int, visual);
    QFETCH(bool, value);
    Recorder host;
    ButtonModel m(host);
    m.props().mode = mode;
    play(m, script);
    m.applySetLook(); // what the next redraw shows
    QCOMPARE(host.trace.join(u' '), events);
    QCOMPARE(m.state().visualState, visual);
    QCOMPARE(m.props().value, value);
}

void TestButtonModel::releasePoint_data() {
    QTest::addColumn<float>("x");
    QTest::addColumn<float>("y");
    QTest::addColumn<bool>("click");
    QTest::newRow("left edge X = 0") << 0.0f << 10.0f << false;
    QTest::newRow("top edge Y = 0") << 10.0f << 0.0f << false;
    QTest::newRow("X = width") << float(W) << 10.0f << false;
    QTest::newRow("Y = height") << 10.0f << float(H) << false;
    QTest::newRow("left of the button") << -3.0f << 10.0f << false;
    QTest::newRow("just inside top left") << 0.5f << 0.5f << true;
    QTest::newRow("just inside bottom right") << W - 0.5f << H - 0.5f << true;
}

void TestButtonModel::releasePoint() {
    QFETCH(float, x);
    QFETCH(float, y);
    QFETCH(bool, click);
    Recorder host;
    ButtonModel m(host);
    host.model = &m;
    m.mouseDown(1, 0, 5, 5);
    m.mouseUp(1, 0, x, y, W, H);
    QCOMPARE(host.trace.contains(QStringLiteral("Click")), click);
    QCOMPARE(host.trace.last(), QStringLiteral("MouseUp"));
    // A handler of Click already sees the button back in its normal look.
    if (click)
        QCOMPARE(host.lookAtClick, int(StateNormal));
}

void TestButtonModel::valueFromCode() {
    Recorder host;
    ButtonModel m(host);
    m.setValue(true); // push mode keeps no value
    QCOMPARE(m.props().value, false);
    m.setMode(ModeOption);
    m.setValue(true);
    QCOMPARE(m.props().value, true);
    QVERIFY(!host.trace.contains(QStringLiteral("group"))); // from code: no group step
    m.state().visualState = StateDown;
    m.setValue(false);
    QCOMPARE(m.state().visualState, int(StateNormal));
    m.state().visualState = StateHot;
    m.setMode(ModePush);
    QCOMPARE(m.state().visualState, int(StateNormal));
}

// ---- setters ----

void TestButtonModel::styleSetter_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("schemeBefore");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<uint>("back"); // 0x8000000F: the button face
    QTest::addColumn<bool>("focusRect");
    QTest::newRow("10") << 10 << 2 << 0 << 0xFFD1ADu << false;
    QTest::newRow("3 takes scheme 2") << 3 << 0 << 2 << 0xE3E3E3u << false;
    QTest::newRow("5 keeps scheme 1") << 5 << 1 << 1 << 0xBAD6D4u << false;
    QTest::newRow("5 keeps scheme 2") << 5 << 2 << 2 << 0xE0C4C6u << false;
    QTest::newRow("9 takes scheme 2") << 9 << 0 << 2 << 0xE1D6D5u << true;
    QTest::newRow("8 takes scheme 0") << 8 << 1 << 0 << 0xFFD1ADu << false;
    QTest::newRow("2 from custom") << 2 << 3 << 0 << 0xE7EBECu << false;
    QTest::newRow("0") << 0 << 1 << 0 << 0x8000000Fu << true;
    QTest::newRow("11 keeps its scheme") << 11 << 1 << 1 << 0x8000000Fu << false;
    QTest::newRow("12 custom is still the face") << 12 << 3 << 3 << 0x8000000Fu << false;
}

void TestButtonModel::styleSetter() {
    QFETCH(int, style);
    QFETCH(int, schemeBefore);
    QFETCH(int, scheme);
    QFETCH(uint, back);
    QFETCH(bool, focusRect);
    Recorder host;
    ButtonModel m(host);
    m.props().colorScheme = schemeBefore;
    m.props().backColor = 0x010203;
    m.props().foreColor = 0x0000FF;
    m.props().showFocusRect = !focusRect;
    m.setButtonStyle(style);
    QCOMPARE(m.props().colorScheme, scheme);
    QCOMPARE(m.props().backColor, TranslateColor(back));
    QCOMPARE(m.props().showFocusRect, focusRect);
    QCOMPARE(m.props().foreColor, TranslateColor(forms::syscolour::ButtonText));
    QCOMPARE(m.props().picturePushOnHover, false);
}

void TestButtonModel::schemeColours_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("scheme");
    QTest::addColumn<uint>("back"); // 0x8000000F: the button face
    QTest::newRow("2, scheme 1") << 2 << 1 << 0xDBEEF3u;
    QTest::newRow("2, scheme 2") << 2 << 2 << 0xFCF1F0u;
    QTest::newRow("3, scheme 0") << 3 << 0 << 0xFDECE0u;
    QTest::newRow("3, scheme 1") << 3 << 1 << 0xDEEDE8u;
    QTest::newRow("5, scheme 0") << 5 << 0 << 0xFCE1CAu;
    QTest::newRow("8, scheme 1") << 8 << 1 << 0xBAD6D4u;
    QTest::newRow("8, scheme 2") << 8 << 2 << 0xE3DFE0u;
    QTest::newRow("10, scheme 2") << 10 << 2 << 0xE3DFE0u;
    QTest::newRow("9, scheme 0") << 9 << 0 << 0xFFD1ADu;
    QTest::newRow("9, scheme 1") << 9 << 1 << 0xBAD6D4u;
    QTest::newRow("other styles: the face") << 6 << 2 << 0x8000000Fu;
}

void TestButtonModel::schemeColours() {
    QFETCH(int, style);
    QFETCH(int, scheme);
    QFETCH(uint, back);
    Recorder host;
    ButtonModel m(host);
    m.setButtonStyle(style);
    m.setColorScheme(scheme);
    QCOMPARE(m.props().backColor, TranslateColor(back));
}

void TestButtonModel::backColorMakesSchemeCustom() {
    Recorder host;
    ButtonModel m(host);
    m.setButtonStyle(10);
    m.setBackColor(0x123456);
    QCOMPARE(m.props().colorScheme, SchemeCustom);
    m.setColorScheme(1);
    QCOMPARE(m.props().backColor, OleColor(0xBAD6D4));
    m.setColorScheme(3);
    QCOMPARE(m.props().backColor, OleColor(0xBAD6D4)); // custom keeps the colour
    m.setButtonStyle(4);
    QCOMPARE(m.props().picturePushOnHover, true);
    m.setBackColor(0x123456);
    QCOMPARE(m.props().colorScheme, 0);
    for (int bad : {-1, 14}) {
        try {
            m.setButtonStyle(bad);
            QFAIL("accepted");
        } catch (const runtime::RuntimeError& e) {
            QCOMPARE(e.number(), 380);
        }
    }
}

void TestButtonModel::pictureSetters() {
    Recorder host;
    ButtonModel m(host);
    QImage pixel(2, 2, QImage::Format_RGB32);
    const forms::Picture a = forms::PictureObject::fromImage(pixel);
    const forms::Picture b = forms::PictureObject::fromImage(pixel);
    QVERIFY(!m.setPictureHot(a)); // no normal picture yet: it becomes the normal one
    QCOMPARE(m.props().pictureNormal, a);
    QVERIFY(forms::isEmpty(m.props().pictureHot));
    QVERIFY(m.setPictureHot(b));
    QVERIFY(m.setPictureDown(b));
    m.setPictureNormal(forms::PictureObject::none());
    QVERIFY(forms::isEmpty(m.props().pictureHot));
    QVERIFY(forms::isEmpty(m.props().pictureDown));
}

void TestButtonModel::pointerSetters() {
    Recorder host;
    ButtonModel m(host);
    m.props().mousePointer = 11;
    m.setHandPointer(true);
    QCOMPARE(m.props().mousePointer, qint16(0));
    QImage pixel(2, 2, QImage::Format_ARGB32);
    m.setMouseIcon(forms::PictureObject::fromImage(pixel));
    QCOMPARE(m.props().handPointer, false);
    QCOMPARE(m.props().mousePointer, qint16(99));
    m.setMouseIcon(forms::PictureObject::none());
    QCOMPARE(m.props().mousePointer, qint16(0));
}

// ---- persistence ----

void TestButtonModel::storedKeys_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<bool>("stored"); // written back after a read

    const auto row = [](const char* key, const QVariant& value, bool stored) {
        QTest::addRow("%s %s", key, stored ? "kept" : "default") << key << value << stored;
    };
    row("ButtonStyle", 10, true);
    row("ButtonStyle", 1, false);
    row("ShowFocusRect", true, true);
    row("BackColor", 0x123456, true);
    row("Enabled", false, true);
    row("Caption", QStringLiteral("确定"), true);
    row("Caption", QStringLiteral("tqbutton"), false);
    row("Value", true, true);
    row("MousePointer", 11, true);
    row("HandPointer", true, true);
    row("PictureShadow", true, true);
    row("PictureOpacity", 100, true);
    row("PictureOpacity", 255, false);
    row("PictureOpacityOnOver", 0, true);
    row("DisabledPictureMode", 1, true);
    row("PicturePushOnHover", true, true);
    row("PictureEffectOnOver", 0, true);
    row("PictureEffectOnOver", 1, false);
    row("PictureEffectOnDown", 2, false);
    row("MaskColor", 0xFF00FF, true);
    row("MaskColor", 0xE0E0E0, false);
    row("UseMaskColor", false, true);
    row("CaptionEffects", 4, true);
    row("Mode", 2, true);
    row("PictureAlign", 3, true);
    row("PictureAlign", 1, false);
    row("CaptionAlign", 2, true);
    row("CaptionAlign", 1, false);
    row("ForeColor", 0xFF, true);
    row("ForeColorHover", 0xFF00, true);
    row("DropDownSeparator", true, true);
    row("TooltipTitle", QStringLiteral("t"), true);
    row("ToolTip", QStringLiteral("tip"), true);
    row("TooltipIcon", 2, true);
    row("TooltipType", 1, true);
    row("RightToLeft", true, true);
    row("DropDownSymbol", 6, true);
    row("ColorScheme", 2, true);
    row("ColorScheme", 0, false);
    // The remaining defaults, each as a stored value equal to it.
    row("ShowFocusRect", false, false);
    row("BackColor", qint32(TranslateColor(forms::syscolour::ButtonFace)), false);
    row("Enabled", true, false);
    row("Value", false, false);
    row("MousePointer", 0, false);
    row("HandPointer", false, false);
    row("PictureShadow", false, false);
    row("PictureOpacityOnOver", 255, false);
    row("DisabledPictureMode", 0, false);
    row("PicturePushOnHover", false, false);
    row("UseMaskColor", true, false);
    row("Mode", 0, false);
    row("ForeColor", qint32(TranslateColor(forms::syscolour::ButtonText)), false);
    row("ForeColorHover", qint32(TranslateColor(forms::syscolour::ButtonText)), false);
    row("DropDownSeparator", false, false);
    row("TooltipTitle", QString(), false);
    row("ToolTip", QString(), false);
    row("TooltipIcon", 0, false);
    row("TooltipType", 0, false);
    row("TooltipBackColor", qint32(TranslateColor(forms::syscolour::InfoBackground)), false);
    row("RightToLeft", false, false);
    row("DropDownSymbol", 0, false);
}

void TestButtonModel::storedKeys() {
    QFETCH(QString, key);
    QFETCH(QVariant, value);
    QFETCH(bool, stored);
    forms::PropertyBag in;
    in.setRaw(key, value);
    const ButtonProperties p = readButtonProperties(in, tahomaLess());
    forms::PropertyBag out;
    writeButtonProperties(out, p, tahomaLess());
    QCOMPARE(out.contains(key), stored);
    if (stored)
        QCOMPARE(out.toMap().value(key).toString(), value.toString());
    // Besides CaptionEffects, which is always written, nothing else is stored.
    QCOMPARE(out.size(), key == u"CaptionEffects" ? 1 : (stored ? 2 : 1));
    if (key == u"RightToLeft" && stored)
        QVERIFY(p.rightToLeft && p.tooltipRightToLeft);
    // A stored default reads as the missing key does.
    if (!stored) {
        forms::PropertyBag fromEmpty;
        writeButtonProperties(fromEmpty, readButtonProperties(forms::PropertyBag(), tahomaLess()),
                              tahomaLess());
        QCOMPARE(out.toMap(), fromEmpty.toMap());
    }
}

void TestButtonModel::emptyBagStoresOnlyCaptionEffects() {
    const ButtonProperties p = readButtonProperties(forms::PropertyBag(), tahomaLess());
    QCOMPARE(p.caption, QStringLiteral("tqbutton"));
    QCOMPARE(p.buttonStyle, 1);
    QCOMPARE(p.backColor, TranslateColor(forms::syscolour::ButtonFace));
    QCOMPARE(p.tooltipBackColor, TranslateColor(forms::syscolour::InfoBackground));
    QCOMPARE(int(p.pictureOpacity), 255);
    QCOMPARE(p.pictureEffectOnDown, 2);
    forms::PropertyBag out;
    writeButtonProperties(out, p, tahomaLess());
    QCOMPARE(out.toMap(), (QVariantMap{{QStringLiteral("CaptionEffects"), 0}}));
}

void TestButtonModel::opacityOutOfByteRange() {
    forms::PropertyBag in;
    in.setRaw(QStringLiteral("PictureOpacity"), 256);
    try {
        readButtonProperties(in, tahomaLess());
        QFAIL("accepted");
    } catch (const runtime::RuntimeError& e) {
        QCOMPARE(e.number(), 6);
    }
}

void TestButtonModel::form1BagIsANewStyle10Button() {
    // What a designer saves after placing a button, choosing style 10 and typing
    // the caption is what the main window's resource holds.
    const forms::Font ambient = forms::ambientFont();
    Recorder host;
    ButtonModel m(host);
    m.props() = newButtonProperties(QStringLiteral("tqbutton1"), ambient);
    m.applyScheme();
    QCOMPARE(m.props().buttonStyle, 13);
    QCOMPARE(m.props().showFocusRect, true);
    QCOMPARE(m.props().font->face, QStringLiteral("Tahoma"));
    m.setButtonStyle(10);
    m.props().caption = QStringLiteral("隐藏");
    forms::PropertyBag saved;
    writeButtonProperties(saved, m.props(), ambient);

    const forms::PropertyBag resource =
        forms::FormResource::load(QStringLiteral(TARVO_FORM1_RESOURCE))
            .bag(QStringLiteral("tqbutton1"));
    QVariantMap stored = resource.toMap();
    stored.remove(QStringLiteral("_extentx"));
    stored.remove(QStringLiteral("_extenty"));
    QCOMPARE(stored.keys().size(), saved.size());
    const ButtonProperties loaded = readButtonProperties(resource, ambient);
    QCOMPARE(loaded.buttonStyle, 10);
    QCOMPARE(loaded.backColor, OleColor(0xFFD1AD));
    QCOMPARE(loaded.caption, QStringLiteral("隐藏"));
    QCOMPARE(*loaded.font, *m.props().font);
    forms::PropertyBag again;
    writeButtonProperties(again, loaded, ambient);
    QCOMPARE(again.toMap(), saved.toMap());
}

QTEST_MAIN(TestButtonModel)
#include "test_buttonmodel.moc"
