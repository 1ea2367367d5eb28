#include "controls/button/buttonpainter.h"
#include "controls/button/tqbutton.h"
#include "forms/colour.h"

#include <QApplication>
#include <QMouseEvent>
#include <QShortcut>
#include <QSignalSpy>
#include <QTest>

using namespace tarvo;
using forms::OleColor;

namespace {

// Pixels expected at points: an RGB value 0x00BBGGRR, or a system colour 0x800000nn
// taken from the palette.
using Points = QList<QPair<QPoint, quint32>>;

enum TestState { Normal = 0, Hot = 1, Down = 2, Disabled = 3 };

QColor expectedColour(quint32 value) {
    return forms::toQColor(value);
}

QColor shifted(const QColor& c, int delta) {
    const auto one = [&](int v) { return std::clamp(v + delta, 0, 255); };
    return QColor(one(c.red()), one(c.green()), one(c.blue()));
}

struct NullHost final : ButtonHost {
    void redraw() override {}
    void raise(ButtonEvent, const EventArgs&) override {}
};

// A button drawn onto a surface without a widget.
struct Drawn {
    NullHost host;
    ButtonModel model{host};
    forms::Surface surface;
    ButtonPainter painter;

    Drawn(int style, QSize size, const QString& caption = QString())
        : surface(size) {
        model.props() = ButtonProperties{};
        model.props().font = forms::makeFont({QStringLiteral("宋体"), 9.0, 400, 134});
        model.setButtonStyle(style);
        model.props().caption = caption;
    }
    const QImage& paint(int state) {
        model.props().enabled = state != Disabled;
        model.state().visualState = state == Disabled ? StateNormal : state;
        painter.paint(model, surface);
        return surface.image();
    }
    int count(const QColor& colour) const {
        const QImage& image = surface.image();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == colour;
        return n;
    }
};

void mouse(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButtons held = Qt::NoButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void click(QWidget& w, QPointF at) {
    mouse(w, QEvent::MouseButtonPress, at, Qt::LeftButton);
    mouse(w, QEvent::MouseButtonRelease, at);
}

} // namespace

class TestButtonDraw final : public QObject {
    Q_OBJECT
private slots:
    void styleBodies_data();
    void styleBodies();
    void themedFollowsState();
    void hoverWarmSplitsAtAThird();
    void focusLooks_data();
    void focusLooks();
    void captionColour_data();
    void captionColour();
    void roundedLargeOwnsForeColor();
    void pressedOffsets_data();
    void pressedOffsets();
    void dropDownGlyph_data();
    void dropDownGlyph();
    void separatorShadesThePixelAt77();
    void captionEffects_data();
    void captionEffects();
    void setButtonLooksPressed_data();
    void setButtonLooksPressed();
    void regions_data();
    void regions();

    void clicksFromTheMouse();
    void hoverChangesTheLook();
    void smallestSize();
    void handPointerAfterLoading();
    void optionGroup();
    void accessKeyShortcut();
};

void TestButtonDraw::styleBodies_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("state");
    QTest::addColumn<Points>("points");
    // 60 x 24, no caption, default scheme of the style.
    QTest::newRow("0 Normal") << 0 << 0
                              << Points{{{0, 0}, 0x80000016},
                                        {{59, 0}, 0x80000015},
                                        {{1, 1}, 0x80000014},
                                        {{58, 22}, 0x80000010},
                                        {{30, 12}, 0x8000000F}};
    QTest::newRow("0 Hot") << 0 << 1
                           << Points{{{0, 0}, 0x80000016},
                                     {{59, 23}, 0x80000015},
                                     {{30, 12}, 0x8000000F}};
    QTest::newRow("0 Down") << 0 << 2
                            << Points{{{0, 0}, 0x0},
                                      {{59, 12}, 0x0},
                                      {{1, 1}, 0x99A8AC},
                                      {{58, 12}, 0x99A8AC},
                                      {{30, 12}, 0x8000000F}};
    QTest::newRow("0 disabled") << 0 << 3
                                << Points{{{0, 0}, 0x80000016},
                                          {{59, 23}, 0x80000015},
                                          {{1, 1}, 0x80000014}};
    QTest::newRow("1 Normal") << 1 << 0
                              << Points{{{0, 0}, 0x80000014},
                                        {{59, 23}, 0x80000010},
                                        {{1, 1}, 0x8000000F}};
    QTest::newRow("1 Hot") << 1 << 1 << Points{{{0, 0}, 0x80000014}, {{59, 12}, 0x80000010}};
    QTest::newRow("1 Down") << 1 << 2
                            << Points{{{0, 0}, 0x80000011},
                                      {{30, 0}, 0x80000011},
                                      {{59, 12}, 0xFFFFFF},
                                      {{30, 23}, 0xFFFFFF},
                                      {{1, 1}, 0x8000000F}};
    QTest::newRow("1 disabled") << 1 << 3 << Points{{{0, 0}, 0x80000014}, {{59, 23}, 0x80000010}};
    QTest::newRow("11 Normal") << 11 << 0 << Points{{{0, 0}, 0x8000000F}, {{59, 23}, 0x8000000F}};
    QTest::newRow("11 Hot") << 11 << 1
                            << Points{{{0, 0}, 0x80000016},
                                      {{59, 23}, 0x80000015},
                                      {{1, 1}, 0x80000014}};
    QTest::newRow("11 Down") << 11 << 2
                             << Points{{{0, 0}, 0x80000010},
                                       {{59, 23}, 0x80000014},
                                       {{1, 1}, 0x80000015},
                                       {{58, 22}, 0x80000016}};
    QTest::newRow("11 disabled") << 11 << 3 << Points{{{0, 0}, 0x8000000F}, {{59, 23}, 0x8000000F}};
    QTest::newRow("12 Normal") << 12 << 0 << Points{{{0, 0}, 0x8000000F}};
    QTest::newRow("12 Hot") << 12 << 1 << Points{{{0, 0}, 0x80000014}, {{59, 23}, 0x80000010}};
    QTest::newRow("12 Down") << 12 << 2 << Points{{{0, 0}, 0x80000011}, {{59, 12}, 0xFFFFFF}};
    QTest::newRow("12 disabled") << 12 << 3 << Points{{{0, 0}, 0x8000000F}};
    QTest::newRow("4 Normal") << 4 << 0 << Points{{{0, 0}, 0x8000000F}, {{30, 12}, 0x8000000F}};
    QTest::newRow("4 Hot") << 4 << 1 << Points{{{0, 0}, 0xC56A31}, {{30, 12}, 0xF6DAC9}};
    QTest::newRow("4 Down") << 4 << 2 << Points{{{59, 23}, 0xC56A31}, {{30, 12}, 0xDABEAD}};
    QTest::newRow("4 disabled") << 4 << 3 << Points{{{0, 0}, 0x8000000F}, {{30, 12}, 0x8000000F}};
    QTest::newRow("10 Normal") << 10 << 0 << Points{{{30, 0}, 0xAB7D59}, {{0, 12}, 0xAB7D59},
                                                    {{1, 1}, 0xA37551},  {{30, 1}, 0xFFF4E0},
                                                    {{30, 5}, 0xF7C9A5}, {{30, 6}, 0xF2C4A0},
                                                    {{30, 20}, 0xFAE3CA}};
    QTest::newRow("10 Hot") << 10 << 1
                            << Points{{{30, 0}, 0xB88A66}, {{0, 12}, 0xB88A66}, {{1, 1}, 0xA37551},
                                      {{30, 1}, 0xFFF4E9}, {{30, 5}, 0xF7C9A5}, {{30, 6}, 0xF2C4A0},
                                      {{30, 20}, 0xFAE9D2}};
    QTest::newRow("10 Down") << 10 << 2 << Points{{{30, 0}, 0xA37551}, {{0, 12}, 0xA37551},
                                                  {{1, 1}, 0xA37551},  {{30, 1}, 0xFFF4E0},
                                                  {{30, 5}, 0xF7C9A5}, {{30, 6}, 0xEBBD99},
                                                  {{30, 20}, 0xF7DCC3}};
    QTest::newRow("10 disabled") << 10 << 3 << Points{{{30, 0}, 0xCC9E7A}, {{0, 12}, 0xCC9E7A},
                                                      {{1, 1}, 0xC49672},  {{30, 1}, 0xFFECD6},
                                                      {{30, 5}, 0xFFD1AD}, {{30, 6}, 0xFACCA8},
                                                      {{30, 20}, 0xFDE4CB}};
    QTest::newRow("2 Normal") << 2 << 0 << Points{{{30, 0}, 0x743C00},  {{1, 1}, 0xC0884C},
                                                  {{30, 2}, 0xFDFFFF},  {{30, 12}, 0xF0F4F5},
                                                  {{30, 22}, 0xD0D4D5}, {{30, 21}, 0xDADEDF},
                                                  {{1, 12}, 0xE9EBEC},  {{58, 12}, 0xD3D7D8}};
    QTest::newRow("2 Hot") << 2 << 1 << Points{{{30, 1}, 0xCFF0FF}, {{30, 2}, 0x89D8FD},
                                               {{1, 12}, 0x49BDF9}, {{58, 12}, 0x49BDF9},
                                               {{2, 12}, 0x7AD2FC}, {{30, 21}, 0x30B3F8},
                                               {{30, 22}, 0x97E5},  {{30, 12}, 0xF0F4F5},
                                               {{30, 0}, 0x743C00}};
    QTest::newRow("2 Down") << 2 << 2 << Points{{{30, 12}, 0xDADEDF}, {{30, 1}, 0xBEC2C3},
                                                {{30, 2}, 0xCDD1D2},  {{30, 22}, 0xEAEEEF},
                                                {{1, 12}, 0xBEC2C3},  {{2, 12}, 0xCDD1D2},
                                                {{58, 12}, 0xF1F5F6}, {{30, 0}, 0x743C00}};
    QTest::newRow("2 disabled") << 2 << 3
                                << Points{{{30, 12}, 0xF3F5F6},
                                          {{30, 0}, 0xCDD1D2},
                                          {{1, 1}, 0xCDD1D2}};
    QTest::newRow("3 Normal") << 3 << 0
                              << Points{{{30, 0}, 0x707070},
                                        {{30, 1}, 0xFFFFFF},
                                        {{1, 1}, 0xBE965F},
                                        {{30, 5}, 0xEEEEEE},
                                        {{30, 14}, 0xDBDBDB}};
    QTest::newRow("3 Hot") << 3 << 1 << Points{{{30, 0}, 0xA77532}, {{30, 1}, 0xFFFFFF},
                                               {{1, 1}, 0xBE965F},  {{30, 5}, 0xFFF6E1},
                                               {{3, 5}, 0xFFF2D8},  {{56, 5}, 0xFFF3D9},
                                               {{3, 15}, 0xFCDD9F}, {{30, 15}, 0xFFE8BF},
                                               {{56, 15}, 0xFDDD9F}};
    QTest::newRow("3 Down") << 3 << 2 << Points{{{30, 0}, 0x5C411D},  {{30, 1}, 0xB39C71},
                                                {{30, 2}, 0xD6C6A9},  {{30, 3}, 0xECD9B9},
                                                {{1, 2}, 0xCFB073},   {{30, 5}, 0xF6E4C2},
                                                {{30, 15}, 0xF0D29A}, {{3, 5}, 0xEFD7AA},
                                                {{1, 1}, 0xBE965F},   {{56, 5}, 0xEFD7AB},
                                                {{56, 15}, 0xE7C075}};
    QTest::newRow("3 disabled") << 3 << 3
                                << Points{{{30, 12}, 0xEBEBEB},
                                          {{30, 0}, 0xA3A3A3},
                                          {{30, 1}, 0xFFFFFF},
                                          {{1, 1}, 0xDBDBDB}};
    QTest::newRow("5 Normal") << 5 << 0
                              << Points{{{30, 0}, 0xFFFAEE},
                                        {{30, 5}, 0xFEEFDE},
                                        {{30, 12}, 0xFCE1CA},
                                        {{30, 23}, 0xDABFA8}};
    QTest::newRow("5 Hot") << 5 << 1
                           << Points{{{30, 0}, 0x800000}, {{30, 12}, 0xAEE2FF}, {{0, 5}, 0x800000}};
    QTest::newRow("5 Down") << 5 << 2 << Points{{{30, 0}, 0x800000}, {{30, 12}, 0x6FB3FE}};
    QTest::newRow("5 disabled") << 5 << 3
                                << Points{{{30, 0}, 0xFFFAEE},
                                          {{30, 5}, 0xFEEFDE},
                                          {{30, 12}, 0xFCE1CA},
                                          {{30, 23}, 0xDABFA8}};
    QTest::newRow("6 Normal") << 6 << 0
                              << Points{{{30, 12}, 0x8000000F},
                                        {{0, 0}, 0x8000000F},
                                        {{1, 1}, 0x8000000F}};
    QTest::newRow("6 Hot") << 6 << 1 << Points{{{30, 0}, 0xC3CECE},  {{1, 1}, 0xBCC7C7},
                                               {{30, 5}, 0xF7FAFA},  {{58, 10}, 0xE0E7EA},
                                               {{57, 10}, 0xEAF0F0}, {{30, 20}, 0xE5EDEE},
                                               {{30, 21}, 0xD6E1E4}, {{30, 22}, 0xC6D2D7},
                                               {{30, 15}, 0xEDF4F4}};
    QTest::newRow("6 Down") << 6 << 2 << Points{{{30, 12}, 0xDDE4E5}, {{30, 1}, 0xCCD5D7},
                                                {{30, 2}, 0xD5DCDE},  {{30, 21}, 0xE3EAEB},
                                                {{30, 22}, 0xEAEFF0}, {{30, 0}, 0x929D9D},
                                                {{1, 1}, 0x788182}};
    QTest::newRow("6 disabled") << 6 << 3 << Points{{{30, 12}, 0x8000000F}, {{1, 1}, 0x8000000F}};
    QTest::newRow("7 Normal") << 7 << 0 << Points{{{30, 12}, 0x8000000F}, {{1, 1}, 0x8000000F}};
    QTest::newRow("7 Hot") << 7 << 1
                           << Points{{{30, 0}, 0xCA9E61},
                                     {{30, 1}, 0xFFFFFF},
                                     {{1, 1}, 0xFFEAAD},
                                     {{30, 5}, 0xFDF7EB},
                                     {{30, 16}, 0xF8ECD0}};
    QTest::newRow("7 Down") << 7 << 2
                            << Points{{{30, 0}, 0xCA9E61},
                                      {{58, 12}, 0xFFFFFF},
                                      {{1, 1}, 0xFFEAAD},
                                      {{30, 5}, 0xF2E1B8},
                                      {{30, 16}, 0xF6EBCE}};
    QTest::newRow("7 disabled") << 7 << 3
                                << Points{{{30, 12}, 0x8000000F},
                                          {{1, 1}, 0x8000000F},
                                          {{30, 0}, 0x8000000F}};
    QTest::newRow("8 Normal") << 8 << 0
                              << Points{{{30, 0}, 0xA87A56},
                                        {{59, 12}, 0xA87A56},
                                        {{30, 4}, 0xFFE7CC},
                                        {{30, 16}, 0xFFD5B1}};
    QTest::newRow("8 Hot") << 8 << 1
                           << Points{{{30, 0}, 0xA87A56},
                                     {{59, 12}, 0xA87A56},
                                     {{30, 4}, 0xC7F5FF},
                                     {{30, 16}, 0x80DDFF}};
    QTest::newRow("8 Down") << 8 << 2
                            << Points{{{30, 0}, 0xA87A56},
                                      {{59, 12}, 0xA87A56},
                                      {{30, 4}, 0x55B8FF},
                                      {{30, 16}, 0x52B1FF}};
    QTest::newRow("8 disabled") << 8 << 3
                                << Points{{{30, 0}, 0xA87A56},
                                          {{59, 12}, 0xA87A56},
                                          {{30, 4}, 0xFFE7CC},
                                          {{30, 16}, 0xFFD5B1}};
    QTest::newRow("9 Normal") << 9 << 0 << Points{{{30, 0}, 0xAEA3A2}, {{30, 1}, 0xFFFFFF},
                                                  {{1, 12}, 0xFFFFFF}, {{30, 23}, 0xA19695},
                                                  {{1, 23}, 0xAEA3A2}, {{1, 1}, 0xEEE3E2},
                                                  {{30, 5}, 0xF2EDEC}, {{30, 18}, 0xE1D6D5}};
    QTest::newRow("9 Hot") << 9 << 1
                           << Points{{{30, 0}, 0xAEA3A2},  {{30, 1}, 0xFFFFFF}, {{1, 12}, 0xFFFFFF},
                                     {{30, 23}, 0xA19695}, {{1, 23}, 0xAEA3A2}, {{1, 1}, 0xEEE3E2},
                                     {{30, 5}, 0xF2EDEC},  {{30, 18}, 0xE1D6D5}};
    QTest::newRow("9 Down") << 9 << 2 << Points{{{30, 0}, 0xA69B9A},  {{30, 1}, 0xFFFFFF},
                                                {{30, 23}, 0x7B706F}, {{1, 1}, 0xEEE3E2},
                                                {{30, 5}, 0xE6E1E1},  {{30, 18}, 0xCABFBE}};
    QTest::newRow("9 disabled") << 9 << 3 << Points{{{30, 0}, 0xAEA3A2}, {{30, 1}, 0xFFFFFF},
                                                    {{1, 12}, 0xFFFFFF}, {{30, 23}, 0xA19695},
                                                    {{1, 23}, 0xAEA3A2}, {{1, 1}, 0xEEE3E2},
                                                    {{30, 5}, 0xF2EDEC}, {{30, 18}, 0xE1D6D5}};
}

void TestButtonDraw::styleBodies() {
    QFETCH(int, style);
    QFETCH(int, state);
    QFETCH(Points, points);
    Drawn d(style, QSize(60, 24));
    const QImage& image = d.paint(state);
    for (const auto& [at, value] : points) {
        const QColor actual = image.pixelColor(at);
        QVERIFY2(actual.rgb() == expectedColour(value).rgb(),
                 qPrintable(QStringLiteral("(%1,%2) is %3, expected %4")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(actual.name(), expectedColour(value).name())));
    }
}

void TestButtonDraw::themedFollowsState() {
    Drawn d(StyleThemed, QSize(60, 24));
    const QColor normal = d.paint(Normal).pixelColor(30, 12);
    const QColor down = d.paint(Down).pixelColor(30, 12);
    QVERIFY(normal != down);
    QCOMPARE(d.model.props().buttonStyle, int(StyleThemed)); // the application is themed
}

void TestButtonDraw::hoverWarmSplitsAtAThird() {
    // 30 / 2.7 = 11.1: the top band ends at row 10, the lower band starts at row 11.
    Drawn d(StyleHoverWarm, QSize(60, 30));
    const QImage& image = d.paint(Hot);
    QCOMPARE(image.pixelColor(30, 10).rgb(), expectedColour(0xACEAFF).rgb());
    QCOMPARE(image.pixelColor(30, 11).rgb(), expectedColour(0x67D7FF).rgb());
}

void TestButtonDraw::focusLooks_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("userMode");
    QTest::addColumn<Points>("points");
    QTest::addColumn<int>("scheme"); // -1: the style's own
    const QColor face = forms::toQColor(forms::syscolour::ButtonFace);
    const quint32 faceRgb = forms::fromQColor(face);
    const quint32 invertedFace = faceRgb ^ 0xFFFFFF;
    const quint32 workspace = 0x8000000C;
    // Focused in an active window, 60 x 24, no caption.
    QTest::newRow("0: dotted inset 4, default frame")
        << 0 << int(Normal) << true
        << Points{{{4, 4}, invertedFace}, {{5, 4}, faceRgb}, {{4, 6}, invertedFace},
                  {{0, 0}, 0x0},          {{59, 5}, 0x0},    {{58, 5}, workspace},
                  {{1, 1}, 0x80000014}}
        << -1;
    QTest::newRow("0 at design time: no dotted rectangle")
        << 0 << int(Normal) << false << Points{{{4, 4}, faceRgb}, {{0, 0}, 0x0}} << -1;
    QTest::newRow("1 hot: dotted inset 3, no default frame")
        << 1 << int(Hot) << true
        << Points{{{3, 3}, invertedFace}, {{4, 3}, faceRgb}, {{0, 0}, 0x80000014}} << -1;
    QTest::newRow("2: the focus ring of scheme 0")
        << 2 << int(Normal) << true
        << Points{{{30, 2}, 0xF6D4BC}, {{30, 1}, 0xFFE7CE},  {{1, 12}, 0xE6AF8E},
                  {{2, 12}, 0xF4D1B8}, {{30, 21}, 0xE4AD89}, {{30, 22}, 0xEE8269},
                  {{30, 0}, 0x743C00}}
        << -1;
    QTest::newRow("2 hot: the hot ring, not the focus ring")
        << 2 << int(Hot) << true << Points{{{30, 1}, 0xCFF0FF}, {{30, 2}, 0x89D8FD}} << -1;
    QTest::newRow("3: the focus frames")
        << 3 << int(Normal) << true << Points{{{30, 0}, 0xA77532}, {{30, 1}, 0xFBD848}} << -1;
    QTest::newRow("9: dotted inset 3 over the gradient")
        << 9 << int(Normal) << true << Points{{{3, 3}, 0x080B0B}, {{4, 3}, 0xF7F4F4}} << -1;
    QTest::newRow("2: the focus ring of scheme 1")
        << 2 << int(Normal) << true
        << Points{{{30, 2}, 0x8FD1C2},  {{30, 1}, 0x80CBB1},  {{1, 12}, 0x68C8A0},
                  {{58, 12}, 0x68C8A0}, {{2, 12}, 0x68C8A0},  {{57, 12}, 0x68C8A0},
                  {{30, 21}, 0x68C8A0}, {{30, 22}, 0x66A7A8}, {{30, 0}, 0x066237}}
        << 1;
    QTest::newRow("2: the focus ring of scheme 2")
        << 2 << int(Normal) << true
        << Points{{{30, 2}, 0xF6D4BC},  {{30, 1}, 0xFFE7CE},  {{1, 12}, 0xE6AF8E},
                  {{58, 12}, 0xE6AF8E}, {{2, 12}, 0xFFFFFF},  {{57, 12}, 0xFFFFFF},
                  {{30, 21}, 0xE4AD89}, {{30, 22}, 0xEE8269}, {{30, 0}, 0x743C00}}
        << 2;
}

void TestButtonDraw::focusLooks() {
    QFETCH(int, style);
    QFETCH(int, state);
    QFETCH(bool, userMode);
    QFETCH(Points, points);
    QFETCH(int, scheme);
    Drawn d(style, QSize(60, 24));
    if (scheme >= 0)
        d.model.setColorScheme(scheme);
    d.model.state().hasFocus = true;
    d.model.state().parentActive = true;
    d.model.state().userMode = userMode;
    const QImage& image = d.paint(state);
    for (const auto& [at, value] : points)
        QVERIFY2(image.pixelColor(at).rgb() == expectedColour(value).rgb(),
                 qPrintable(QStringLiteral("(%1,%2) is %3")
                                .arg(at.x())
                                .arg(at.y())
                                .arg(image.pixelColor(at).name())));
}

void TestButtonDraw::captionColour_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("state");
    QTest::addColumn<QColor>("ink");
    QTest::addColumn<QColor>("notInk");
    const QColor fore(255, 0, 0);
    const QColor hover(0, 255, 0);
    const QColor grey = forms::toQColor(forms::syscolour::GrayText);
    for (int style : {1, 2, 10}) {
        QTest::addRow("%d Normal", style) << style << int(Normal) << fore << hover;
        QTest::addRow("%d Hot", style) << style << int(Hot) << hover << fore;
        QTest::addRow("%d Down", style) << style << int(Down) << fore << hover;
        QTest::addRow("%d disabled", style) << style << int(Disabled) << grey << fore;
    }
}

void TestButtonDraw::captionColour() {
    QFETCH(int, style);
    QFETCH(int, state);
    QFETCH(QColor, ink);
    QFETCH(QColor, notInk);
    Drawn d(style, QSize(147, 53), QStringLiteral("隐藏"));
    d.model.props().foreColor = 0x0000FF;
    d.model.props().foreColorHover = 0x00FF00;
    d.paint(state);
    QVERIFY(d.count(ink) > 10);
    QCOMPARE(d.count(notInk), 0);
    // Centred: offset by half of what the button leaves around the measured caption.
    QRect caption = d.painter.content().captionRect();
    if (state == Down && style != StyleRoundedGradient)
        caption.translate(-1, -1);
    QCOMPARE(caption.left(), (147 - caption.width()) / 2);
    QCOMPARE(caption.top(), (53 - caption.height()) / 2);
}

void TestButtonDraw::roundedLargeOwnsForeColor() {
    Drawn d(StyleRoundedLarge, QSize(147, 53), QStringLiteral("隐藏"));
    d.model.props().foreColor = 0x0000FF;
    d.paint(Down);
    QCOMPARE(d.model.props().foreColor, OleColor(0xFFFFFF));
    QVERIFY(d.count(Qt::white) > 10);
    d.paint(Normal);
    QCOMPARE(d.model.props().foreColor,
             forms::fromQColor(forms::toQColor(forms::syscolour::ButtonText)));
}

void TestButtonDraw::pressedOffsets_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("captionMove");
    QTest::addColumn<int>("symbolMove");
    QTest::newRow("0") << 0 << 1 << 2;
    QTest::newRow("1") << 1 << 1 << 2;
    QTest::newRow("2") << 2 << 0 << 0;
    QTest::newRow("3") << 3 << 0 << 0;
    QTest::newRow("5") << 5 << 1 << 1;
    QTest::newRow("6") << 6 << 1 << 2;
    QTest::newRow("10") << 10 << 1 << 1;
    QTest::newRow("12") << 12 << 1 << 2;
}

void TestButtonDraw::pressedOffsets() {
    QFETCH(int, style);
    QFETCH(int, captionMove);
    QFETCH(int, symbolMove);
    Drawn d(style, QSize(147, 53), QStringLiteral("隐藏"));
    d.model.props().dropDownSymbol = 6;
    d.paint(Normal);
    const QRect caption = d.painter.content().captionRect();
    const QRect symbol = d.painter.content().symbolRect();
    QCOMPARE(symbol, QRect(147 - 15, 53 / 2 - 7, 15, 15));
    d.paint(Down);
    QCOMPARE(d.painter.content().captionRect(), caption.translated(captionMove, captionMove));
    QCOMPARE(d.painter.content().symbolRect(), symbol.translated(symbolMove, symbolMove));
    // The caption stays left of the symbol by the margin.
    QVERIFY(caption.right() < 147 - 16);
}

void TestButtonDraw::dropDownGlyph_data() {
    QTest::addColumn<int>("symbol");
    QTest::addColumn<QPoint>("inked"); // in the symbol's cell
    QTest::addColumn<QPoint>("blank");
    QTest::newRow("6 down: wide row on top") << 6 << QPoint(4, 5) << QPoint(4, 8);
    QTest::newRow("5 up: wide row at the foot") << 5 << QPoint(4, 8) << QPoint(4, 5);
    QTest::newRow("4 right: wide column left") << 4 << QPoint(5, 4) << QPoint(8, 4);
    QTest::newRow("3 left: wide column right") << 3 << QPoint(8, 4) << QPoint(5, 4);
    QTest::newRow("2 restore: two windows") << 2 << QPoint(2, 8) << QPoint(5, 8);
    QTest::newRow("1 maximise: a frame") << 1 << QPoint(2, 6) << QPoint(6, 6);
    QTest::newRow("36: its first character") << 36 << QPoint(7, 5) << QPoint(4, 8);
}

void TestButtonDraw::dropDownGlyph() {
    QFETCH(int, symbol);
    QFETCH(QPoint, inked);
    QFETCH(QPoint, blank);
    Drawn d(StyleFlat, QSize(60, 30));
    d.model.props().foreColor = 0x0000FF;
    d.model.props().dropDownSymbol = symbol;
    const QImage& image = d.paint(Normal);
    const QPoint cell = d.painter.content().symbolRect().topLeft();
    QCOMPARE(image.pixelColor(cell + inked), QColor(Qt::red));
    QVERIFY(image.pixelColor(cell + blank) != QColor(Qt::red));
}

void TestButtonDraw::separatorShadesThePixelAt77() {
    Drawn d(StyleSplitGradient, QSize(147, 53), QStringLiteral("隐藏"));
    d.model.props().dropDownSeparator = true;
    const QImage& image = d.paint(Normal);
    const QColor p = image.pixelColor(7, 7);
    QCOMPARE(image.pixelColor(147 - 16, 20), shifted(p, -26));
    QCOMPARE(image.pixelColor(147 - 15, 20), shifted(p, 26));
    QCOMPARE(image.pixelColor(147 - 16, 53 - 3),
             image.pixelColor(147 - 20, 53 - 3)); // end excluded
}

void TestButtonDraw::captionEffects_data() {
    QTest::addColumn<int>("effect");
    QTest::addColumn<QColor>("shade");
    QTest::addColumn<bool>("present");
    const QColor light(0xD1, 0xF5, 0xFF); // &HFFD1AD shifted by +0.14
    const QColor dark(0x93, 0xB7, 0xE5);  // shifted by -0.1
    QTest::newRow("none") << 0 << light << false;
    QTest::newRow("1 raised") << 1 << light << true;
    QTest::newRow("2 sunken") << 2 << light << true;
    QTest::newRow("3 grey shadow") << 3 << QColor(0xC0, 0xC0, 0xC0) << true;
    QTest::newRow("5 dark outline") << 5 << dark << true;
}

void TestButtonDraw::captionEffects() {
    QFETCH(int, effect);
    QFETCH(QColor, shade);
    QFETCH(bool, present);
    Drawn d(StyleRoundedLarge, QSize(147, 53), QStringLiteral("隐藏"));
    d.model.setBackColor(0xFFD1AD);
    d.model.props().captionEffects = effect;
    d.paint(Normal);
    QCOMPARE(d.count(shade) > 0, present);
}

void TestButtonDraw::setButtonLooksPressed_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<int>("visual");
    QTest::newRow("10 shows Down") << 10 << int(StateDown);
    QTest::newRow("2 shows Down") << 2 << int(StateDown);
    QTest::newRow("0 keeps its state") << 0 << int(StateHot);
    QTest::newRow("6 keeps its state") << 6 << int(StateHot);
}

void TestButtonDraw::setButtonLooksPressed() {
    QFETCH(int, style);
    QFETCH(int, visual);
    Drawn d(style, QSize(60, 24));
    d.model.props().mode = ModeCheck;
    d.model.props().value = true;
    d.paint(Hot);
    QCOMPARE(d.model.state().visualState, visual);
}

void TestButtonDraw::regions_data() {
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("cornerCut");
    QTest::newRow("0 rectangle") << 0 << false;
    QTest::newRow("1 rectangle") << 1 << false;
    QTest::newRow("2 rounded 3") << 2 << true;
    QTest::newRow("6 rounded 4") << 6 << true;
    QTest::newRow("8 rectangle") << 8 << false;
    QTest::newRow("10 rounded 4") << 10 << true;
    QTest::newRow("13 rectangle") << 13 << false;
}

void TestButtonDraw::regions() {
    QFETCH(int, style);
    QFETCH(bool, cornerCut);
    tqbutton b;
    b.resize(147, 53);
    b.setButtonStyle(style);
    const QRegion& region = b.windowRegion();
    for (const QPoint corner : {QPoint(0, 0), QPoint(146, 0), QPoint(0, 52), QPoint(146, 52)})
        QCOMPARE(region.contains(corner), !cornerCut);
    for (const QPoint inside : {QPoint(1, 0), QPoint(0, 1), QPoint(145, 52), QPoint(73, 26)})
        QVERIFY(region.contains(inside));
    QCOMPARE(b.mask(), region);
}

// ---- the widget ----

void TestButtonDraw::clicksFromTheMouse() {
    tqbutton b;
    b.resize(147, 53);
    QSignalSpy clicks(&b, &tqbutton::Click);
    QSignalSpy ups(&b, &tqbutton::MouseUp);
    click(b, QPointF(10, 10));
    QCOMPARE(clicks.size(), 1);
    click(b, QPointF(0, 10)); // on the left edge: outside
    QCOMPARE(clicks.size(), 1);
    QCOMPARE(ups.size(), 2);
}

void TestButtonDraw::hoverChangesTheLook() {
    tqbutton b;
    b.ReadProperties(forms::PropertyBag(), forms::ambientFont()); // run time: hooked
    b.resize(147, 53);
    b.setButtonStyle(StyleSplitGradient);
    const QColor before = b.surface().image().pixelColor(30, 1);
    QSignalSpy enters(&b, &tqbutton::MouseEnter);
    mouse(b, QEvent::MouseMove, QPointF(30, 20));
    QCOMPARE(b.state().visualState, int(StateHot));
    QCOMPARE(enters.size(), 1);
    QVERIFY(b.surface().image().pixelColor(30, 1) != before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    QCOMPARE(b.state().visualState, int(StateNormal));
    QCOMPARE(b.surface().image().pixelColor(30, 1), before);
}

void TestButtonDraw::smallestSize() {
    tqbutton b;
    b.resize(5, 40);
    QCOMPARE(b.size(), QSize(15, 40)); // 220 twips
}

void TestButtonDraw::handPointerAfterLoading() {
    tqbutton b;
    forms::PropertyBag bag;
    bag.setRaw(QStringLiteral("MousePointer"), 11);
    b.ReadProperties(bag, forms::ambientFont(), false);
    QCOMPARE(b.cursor().shape(), Qt::WaitCursor);
    b.setHandPointer(true);
    QCOMPARE(b.cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(b.MousePointer(), qint16(0));
    bag.setRaw(QStringLiteral("HandPointer"), true);
    tqbutton loaded;
    loaded.ReadProperties(bag, forms::ambientFont(), false);
    QCOMPARE(loaded.cursor().shape(), Qt::PointingHandCursor);
}

void TestButtonDraw::optionGroup() {
    QWidget form;
    QWidget left(&form);
    QWidget right(&form);
    std::array<tqbutton*, 3> group{new tqbutton(&left), new tqbutton(&left), new tqbutton(&left)};
    tqbutton* elsewhere = new tqbutton(&right);
    for (tqbutton* b : {group[0], group[1], group[2], elsewhere}) {
        b->resize(60, 24);
        b->setMode(ModeOption);
        b->setValue(true); // from code: the others are left alone
    }
    group[2]->setMode(ModeCheck);
    QVERIFY(group[0]->Value() && group[1]->Value() && group[2]->Value());
    click(*group[0], QPointF(10, 10));
    QVERIFY(group[0]->Value());
    QVERIFY(!group[1]->Value());
    QVERIFY(group[2]->Value());  // not an option button
    QVERIFY(elsewhere->Value()); // another container
}

void TestButtonDraw::accessKeyShortcut() {
    tqbutton b;
    b.setCaption(QStringLiteral("&Hide"));
    QShortcut* key = b.findChild<QShortcut*>();
    QVERIFY(key);
    QCOMPARE(key->key(), QKeySequence(QStringLiteral("Alt+H")));
    QSignalSpy clicks(&b, &tqbutton::Click);
    emit key->activated();
    QCOMPARE(clicks.size(), 1);
    b.setCaption(QStringLiteral("A&&B"));
    QVERIFY(!b.findChild<QShortcut*>());
}

QTEST_MAIN(TestButtonDraw)
#include "test_buttondraw.moc"
