#include "controls/progressbar/ucprogressbar.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <climits>
#include <optional>

using namespace tarvo;
using runtime::ErrorCode;
using runtime::RuntimeError;

namespace {

const QColor Fore(0, 200, 0);
const QColor Back(0, 0, 200);
const QColor Ink(255, 0, 0);

QImage solid(QSize size, const QColor& colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

forms::Font captionFont() {
    return forms::makeFont({QStringLiteral("宋体"), 9.0, 400, forms::CharsetGb2312});
}

bool same(QRgb pixel, const QColor& colour) {
    return qRed(pixel) == colour.red() && qGreen(pixel) == colour.green() &&
           qBlue(pixel) == colour.blue();
}

// Checks that every pixel is caption ink, or the foreground inside `filled` and the
// background elsewhere; returns the ink's bounding box, nothing on a wrong pixel.
std::optional<QRect> checkBar(const QImage& image, const QRect& filled) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (same(pixel, Ink)) {
                ink |= QRect(x, y, 1, 1);
                continue;
            }
            const QColor& expected = filled.contains(x, y) ? Fore : Back;
            if (!same(pixel, expected)) {
                qWarning("pixel %d,%d is %08x", x, y, pixel);
                return std::nullopt;
            }
        }
    return ink;
}

void mouse(QWidget& widget, QEvent::Type type, Qt::MouseButton button, QPointF at) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : button;
    QMouseEvent event(type, at, widget.mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class TestProgressBar final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void newInstanceDefaults();
    void horizontalFill_data();
    void horizontalFill();
    void captionIsCentred();
    void verticalFill();
    void events_data();
    void events();
    void invalidAssignmentChangesNothing_data();
    void invalidAssignmentChangesNothing();
    void lowerMaxKeepsValue();
    void minRedrawUsesNewSpan();
    void storedValueStillReportsChange();
    void sizingFollowsBackground();
    void mouse_data();
    void mouse();
    void clickIsPressAndReleaseInside();
    void captionFormats_data();
    void captionFormats();
    void missingForegroundStillShowsCaption();
    void mousePointerIs16Bit();
    void propertyBagRoundTrip();
    void defaultsWriteNothing();
    void absentKeysReadAsDefaults();
    void storedNumbersAreConverted_data();
    void storedNumbersAreConverted();

private:
    // The main window's bar 0, loaded the way the main window loads it.
    std::unique_ptr<ucProgressBar> bar0(int value = 0);
    forms::PropertyBag bag0() const;

    QTemporaryDir m_dir;
    QString m_forePath;
    QString m_backPath;
};

void TestProgressBar::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_forePath = m_dir.filePath(QStringLiteral("fore.png"));
    m_backPath = m_dir.filePath(QStringLiteral("back.png"));
    QVERIFY(solid({175, 17}, Fore).save(m_forePath));
    QVERIFY(solid({175, 17}, Back).save(m_backPath));
}

forms::PropertyBag TestProgressBar::bag0() const {
    forms::PropertyBag bag;
    bag.setRaw(QStringLiteral("_extentx"), 4630);
    bag.setRaw(QStringLiteral("_extenty"), 450);
    bag.setRaw(QStringLiteral("barpicturefore"), m_forePath);
    bag.setRaw(QStringLiteral("barpictureback"), m_backPath);
    bag.setRaw(QStringLiteral("captioncustom"), QStringLiteral(" / 1000"));
    bag.setRaw(QStringLiteral("captionformat"), 99);
    bag.setRaw(QStringLiteral("max"), 1002);
    bag.setRaw(QStringLiteral("fontcolor"), qint32(forms::fromQColor(Ink)));
    bag.setRaw(QStringLiteral("font"), QVariantMap{{"name", QStringLiteral("宋体")},
                                                   {"size", 9},
                                                   {"weight", 400},
                                                   {"charset", 134}});
    return bag;
}

std::unique_ptr<ucProgressBar> TestProgressBar::bar0(int value) {
    auto bar = std::make_unique<ucProgressBar>();
    bar->ReadProperties(bag0(), forms::ambientFont());
    bar->resize(4630 / 15, 450 / 15); // the host sites it at its stored extent
    bar->Resize();
    bar->setValue(value);
    return bar;
}

void TestProgressBar::newInstanceDefaults() {
    ucProgressBar bar;
    QCOMPARE(bar.Value(), 0);
    QCOMPARE(bar.Min(), 0);
    QCOMPARE(bar.Max(), 100);
    QCOMPARE(bar.Span(), 100);
    QCOMPARE(bar.LastValue(), 0);
    QCOMPARE(bar.CaptionFormat(), 0);
    QVERIFY(bar.CaptionCustom().isEmpty());
    QCOMPARE(bar.Orientation(), 0);
    QVERIFY(bar.BarPictureFore() && bar.BarPictureFore()->type() == forms::PictureType::None);
    QVERIFY(bar.BarPictureBack() && bar.BarPictureBack()->type() == forms::PictureType::None);
    QVERIFY(bar.Enabled());
    QCOMPARE(bar.FontColor(), forms::syscolour::ButtonText);
    QCOMPARE(bar.size(), QSize(0, 0));

    bar.setBarPictureBack(forms::PictureObject::fromImage(solid({60, 10}, Back)));
    bar.setValue(50);
    QCOMPARE(bar.painter().caption(), QString());
    const auto ink = checkBar(bar.surface().image(), {});
    QVERIFY(ink && ink->isEmpty());
}

void TestProgressBar::horizontalFill_data() {
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("width");
    QTest::newRow("min draws nothing") << 0 << 0;
    QTest::newRow("below half a pixel") << 2 << 0;
    QTest::newRow("above half a pixel") << 3 << 1;
    QTest::newRow("87.5 rounds to even") << 501 << 88;
    QTest::newRow("max fills all") << 1002 << 175;
}

void TestProgressBar::horizontalFill() {
    QFETCH(int, value);
    QFETCH(int, width);
    const auto bar = bar0(value);
    QCOMPARE(bar->size(), QSize(175, 17));
    const auto ink = checkBar(bar->surface().image(), QRect(0, 0, width, 17));
    QVERIFY(ink && !ink->isEmpty());
    QCOMPARE(bar->painter().caption(), QString::number(value) + QStringLiteral(" / 1000"));
    // The widget shows exactly the retained image.
    QCOMPARE(bar->grab().toImage().convertToFormat(QImage::Format_RGB32),
             bar->surface().image().convertToFormat(QImage::Format_RGB32));
}

void TestProgressBar::captionIsCentred() {
    const auto bar = bar0(501);
    const forms::Surface& surface = bar->surface();
    const QString caption = QStringLiteral("501 / 1000");
    QCOMPARE(bar->painter().caption(), caption);
    // The placement follows the surface's own text measures.
    const int x = runtime::toInt32(175 - surface.textWidth(caption)) / 2;
    const int y = runtime::toInt32(17 - surface.textHeight(QString())) / 2;
    QCOMPARE(bar->painter().captionPosition(), QPoint(x, y));

    const auto drawn = checkBar(surface.image(), QRect(0, 0, 88, 17));
    QVERIFY(drawn && !drawn->isEmpty());
    const QRect ink = *drawn;
    QVERIFY(ink.left() >= x - 1);
    QVERIFY(ink.right() <= x + surface.textWidth(caption) + 1);
    QVERIFY2(qAbs(ink.left() + ink.right() - 174) <= 4,
             qPrintable(QStringLiteral("ink spans %1..%2").arg(ink.left()).arg(ink.right())));
}

void TestProgressBar::verticalFill() {
    ucProgressBar bar;
    bar.setBarPictureFore(forms::PictureObject::load(m_forePath));
    bar.setBarPictureBack(forms::PictureObject::load(m_backPath));
    bar.setValue(50);
    QVERIFY(checkBar(bar.surface().image(), QRect(0, 0, 88, 17)));

    // The new direction shows only at the next redraw.
    bar.setOrientation(OrientationVertical);
    QVERIFY(checkBar(bar.surface().image(), QRect(0, 0, 88, 17)));
    bar.Refresh();
    // 17 - 8.5 rounds to 8: rows 8 to 16 are filled.
    QVERIFY(checkBar(bar.surface().image(), QRect(0, 8, 175, 9)));

    bar.setOrientation(2);
    bar.Refresh();
    QVERIFY(checkBar(bar.surface().image(), {}));
}

void TestProgressBar::events_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("assigned");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("value");
    const QStringList none;
    // Every row starts from Min 0, Max 100, Value 40.
    QTest::newRow("to max") << "Value" << 100 << QStringList{"Change", "ArrivedLast"} << 100;
    QTest::newRow("to min") << "Value" << 0 << QStringList{"Change", "ArrivedFirst"} << 0;
    QTest::newRow("inside") << "Value" << 41 << QStringList{"Change"} << 41;
    QTest::newRow("same value") << "Value" << 40 << none << 40;
    QTest::newRow("min moves value") << "Min" << 10 << QStringList{"Change", "ArrivedFirst"} << 10;
    QTest::newRow("min at value") << "Min" << 40 << none << 40;
    QTest::newRow("max keeps value") << "Max" << 30 << none << 40;
}

void TestProgressBar::events() {
    QFETCH(QString, property);
    QFETCH(int, assigned);
    QFETCH(QStringList, expected);
    QFETCH(int, value);

    ucProgressBar bar;
    bar.setBarPictureBack(forms::PictureObject::fromImage(solid({50, 10}, Back)));
    bar.setValue(40);
    QStringList log;
    connect(&bar, &ucProgressBar::Change, [&] { log << "Change"; });
    connect(&bar, &ucProgressBar::ArrivedFirst, [&] { log << "ArrivedFirst"; });
    connect(&bar, &ucProgressBar::ArrivedLast, [&] { log << "ArrivedLast"; });
    connect(&bar, &ucProgressBar::Click, [&] { log << "Click"; });
    int presents = 0;
    bar.surface().setPresenter([&](const QRegion&) { ++presents; });

    if (property == "Value")
        bar.setValue(assigned);
    else if (property == "Min")
        bar.setMin(assigned);
    else
        bar.setMax(assigned);

    QCOMPARE(log, expected);
    QCOMPARE(bar.Value(), value);
    QCOMPARE(bar.LastValue(), value);
    QCOMPARE(bar.Span(), bar.Max() - bar.Min());
    QCOMPARE(presents, 1); // every successful assignment redraws, events or not
}

void TestProgressBar::invalidAssignmentChangesNothing_data() {
    QTest::addColumn<QString>("property");
    QTest::addColumn<int>("assigned");
    QTest::addColumn<int>("error");
    QTest::newRow("value above max") << "Value" << 101 << 380;
    QTest::newRow("value below min") << "Value" << -1 << 380;
    QTest::newRow("max equal to min") << "Max" << 0 << 380;
    QTest::newRow("max below min") << "Max" << -5 << 380;
    QTest::newRow("min equal to max") << "Min" << 100 << 380;
    QTest::newRow("min above max") << "Min" << 150 << 380;
    QTest::newRow("span beyond 32 bits") << "Min" << INT_MIN << 6;
}

void TestProgressBar::invalidAssignmentChangesNothing() {
    QFETCH(QString, property);
    QFETCH(int, assigned);
    QFETCH(int, error);

    ucProgressBar bar;
    bar.setBarPictureBack(forms::PictureObject::fromImage(solid({50, 10}, Back)));
    bar.setValue(40);
    QSignalSpy changes(&bar, &ucProgressBar::Change);
    int presents = 0;
    bar.surface().setPresenter([&](const QRegion&) { ++presents; });
    bar.surface().image().setPixel(3, 3, qRgb(1, 2, 3)); // a redraw would wipe this

    try {
        if (property == "Value")
            bar.setValue(assigned);
        else if (property == "Min")
            bar.setMin(assigned);
        else
            bar.setMax(assigned);
        QFAIL("the assignment was accepted");
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
    }
    QCOMPARE(bar.Value(), 40);
    QCOMPARE(bar.Min(), 0);
    QCOMPARE(bar.Max(), 100);
    QCOMPARE(bar.Span(), 100);
    QCOMPARE(bar.LastValue(), 40);
    QCOMPARE(changes.count(), 0);
    QCOMPARE(presents, 0);
    QCOMPARE(bar.surface().image().pixel(3, 3), qRgb(1, 2, 3));
}

void TestProgressBar::lowerMaxKeepsValue() {
    ucProgressBar bar;
    bar.setBarPictureFore(forms::PictureObject::load(m_forePath));
    bar.setBarPictureBack(forms::PictureObject::load(m_backPath));
    bar.setValue(40);
    bar.setMax(30);
    QCOMPARE(bar.Value(), 40);
    QCOMPARE(bar.Span(), 30);
    // Beyond the end the fill is cut at the bar's edge.
    QVERIFY(checkBar(bar.surface().image(), QRect(0, 0, 175, 17)));
    // A right click can no longer move the value into the range by one step; the refused
    // assignment must not escape from the mouse handler.
    ::mouse(bar, QEvent::MouseButtonPress, Qt::RightButton, {10, 5});
    QCOMPARE(bar.Value(), 40);
}

void TestProgressBar::minRedrawUsesNewSpan() {
    ucProgressBar bar;
    bar.setMax(400);
    bar.setCaptionFormat(CaptionPercent2);
    bar.setMin(100);
    QCOMPARE(bar.painter().caption(), QStringLiteral("33.33%"));
}

void TestProgressBar::storedValueStillReportsChange() {
    forms::PropertyBag bag;
    bag.setRaw(QStringLiteral("value"), 7);
    ucProgressBar bar;
    int presents = 0;
    bar.surface().setPresenter([&](const QRegion&) { ++presents; });
    bar.ReadProperties(bag, forms::ambientFont());
    QCOMPARE(presents, 0); // loading draws nothing
    QCOMPARE(bar.Value(), 7);
    QCOMPARE(bar.LastValue(), 0);
    QSignalSpy changes(&bar, &ucProgressBar::Change);
    bar.setValue(7);
    QCOMPARE(changes.count(), 1);
    bar.setValue(7);
    QCOMPARE(changes.count(), 1);
}

void TestProgressBar::sizingFollowsBackground() {
    const auto bar = bar0(0);
    bar->resize(300, 40); // a host cannot give it another size
    QCOMPARE(bar->size(), QSize(175, 17));

    bar->setBarPictureBack(forms::PictureObject::fromImage(solid({40, 12}, Back)));
    QCOMPARE(bar->size(), QSize(40, 12));
    QCOMPARE(bar->surface().size(), QSize(40, 12));
    QVERIFY(checkBar(bar->surface().image(), {}));

    // An empty background picture keeps the surface's current one, and its size.
    bar->setBarPictureBack(forms::PictureObject::none());
    QCOMPARE(bar->size(), QSize(40, 12));
}

void TestProgressBar::mouse_data() {
    // Script: "p<button> x y" press, "m x y" move, "r" release, "d" double click;
    // buttons L, R. Every row starts from Min 0, Max 1002, Value 500 on bar 0.
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<int>("value");
    QTest::newRow("left press at 0") << "pL 0 8" << true << 0;
    QTest::newRow("drag beyond right") << "pL 20 8;m 400 8" << true << 1002;
    QTest::newRow("drag beyond left") << "pL 150 8;m -30 8" << true << 0;
    QTest::newRow("drag follows pointer") << "pL 150 8;m 87.5 30" << true << 501;
    QTest::newRow("release ends drag") << "pL 20 8;r;m 400 8" << true << 115;
    QTest::newRow("right click steps up") << "pR 170 8;r" << true << 501;
    QTest::newRow("right double click two") << "pR 170 8;r;d;r" << true << 502;
    QTest::newRow("right click steps down") << "pR 3 8;r" << true << 499;
    QTest::newRow("press outside ignored") << "pL 175 8;m 10 8" << true << 500;
    QTest::newRow("press above ignored") << "pL 10 -1;m 10 8" << true << 500;
    QTest::newRow("disabled") << "pL 0 8;m 400 8;pR 170 8" << false << 500;
}

void TestProgressBar::mouse() {
    QFETCH(QString, script);
    QFETCH(bool, enabled);
    QFETCH(int, value);
    const auto bar = bar0(500);
    bar->setEnabled(enabled);
    Qt::MouseButton button = Qt::LeftButton;
    QPointF at;
    for (const QString& command : script.split(';')) {
        const QStringList word = command.split(' ');
        if (word.size() == 3)
            at = QPointF(word[1].toDouble(), word[2].toDouble());
        if (word[0].startsWith('p')) {
            button = word[0] == "pL" ? Qt::LeftButton : Qt::RightButton;
            ::mouse(*bar, QEvent::MouseButtonPress, button, at);
        } else if (word[0] == "m") {
            ::mouse(*bar, QEvent::MouseMove, button, at);
        } else if (word[0] == "r") {
            ::mouse(*bar, QEvent::MouseButtonRelease, button, at);
        } else {
            ::mouse(*bar, QEvent::MouseButtonDblClick, button, at);
        }
    }
    QCOMPARE(bar->Value(), value);
}

void TestProgressBar::clickIsPressAndReleaseInside() {
    const auto bar = bar0(500);
    QSignalSpy clicks(bar.get(), &ucProgressBar::Click);
    ::mouse(*bar, QEvent::MouseButtonPress, Qt::LeftButton, {10, 5});
    QVERIFY(bar->isDragging());
    ::mouse(*bar, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 5});
    QVERIFY(!bar->isDragging());
    QCOMPARE(clicks.count(), 1);
    ::mouse(*bar, QEvent::MouseButtonDblClick, Qt::LeftButton, {10, 5});
    QVERIFY(bar->isDragging());
    ::mouse(*bar, QEvent::MouseButtonRelease, Qt::LeftButton, {10, 5});
    QCOMPARE(clicks.count(), 1);
    ::mouse(*bar, QEvent::MouseButtonPress, Qt::LeftButton, {10, 5});
    ::mouse(*bar, QEvent::MouseButtonRelease, Qt::LeftButton, {200, 5});
    QCOMPARE(clicks.count(), 1);
}

void TestProgressBar::captionFormats_data() {
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("caption");
    QTest::newRow("none") << 0 << 0 << 300 << 37 << "";
    QTest::newRow("value") << 1 << 0 << 300 << 37 << "37";
    QTest::newRow("percent") << 2 << 0 << 300 << 37 << "12%";
    QTest::newRow("percent1") << 3 << 0 << 300 << 37 << "12.3%";
    QTest::newRow("percent2") << 4 << 0 << 300 << 37 << "12.33%";
    QTest::newRow("rel percent") << 5 << 0 << 300 << 37 << "12%";
    QTest::newRow("rel percent1") << 6 << 0 << 300 << 37 << "12.3%";
    QTest::newRow("rel percent2") << 7 << 0 << 300 << 37 << "12.33%";
    QTest::newRow("custom") << 99 << 0 << 300 << 37 << "37 / 1000";
    QTest::newRow("unknown") << 42 << 0 << 300 << 37 << "";
    QTest::newRow("percent of value, not offset") << 4 << 100 << 400 << 137 << "45.67%";
    QTest::newRow("rel from min") << 7 << 100 << 400 << 137 << "12.33%";
    QTest::newRow("half away from zero") << 2 << 0 << 8 << 1 << "13%";
    QTest::newRow("negative value") << 99 << -50 << 50 << -5 << "-5 / 1000";
    QTest::newRow("no leading zero lost") << 3 << 0 << 1000 << 1 << "0.1%";
    QTest::newRow("span 0 percent") << 2 << 5 << 5 << 5 << "";
    QTest::newRow("span 0 rel") << 7 << 5 << 5 << 5 << "";
    QTest::newRow("span 0 value") << 1 << 5 << 5 << 5 << "5";
    QTest::newRow("span 0 custom") << 99 << 5 << 5 << 5 << "5 / 1000";
}

void TestProgressBar::captionFormats() {
    QFETCH(int, format);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, value);
    QFETCH(QString, caption);
    // Loaded from a bag, since a span of 0 can only come from stored properties.
    forms::PropertyBag bag = bag0();
    bag.setRaw(QStringLiteral("CaptionFormat"), format);
    bag.setRaw(QStringLiteral("Min"), min);
    bag.setRaw(QStringLiteral("Max"), max);
    bag.setRaw(QStringLiteral("Value"), value);
    ucProgressBar bar;
    bar.ReadProperties(bag, forms::ambientFont());
    bar.Resize();
    QCOMPARE(bar.painter().caption(), caption);
    const auto ink = checkBar(bar.surface().image(), bar.painter().fill().value_or(QRect()));
    QVERIFY(ink);
    QCOMPARE(ink->isEmpty(), caption.isEmpty());
    if (max == min)
        QVERIFY(!bar.painter().fill());
}

void TestProgressBar::missingForegroundStillShowsCaption() {
    const auto bar = bar0(900);
    bar->setBarPictureFore(forms::PictureObject::none());
    QVERIFY(!bar->painter().fill());
    const auto ink = checkBar(bar->surface().image(), {});
    QVERIFY(ink && !ink->isEmpty());
}

void TestProgressBar::mousePointerIs16Bit() {
    ucProgressBar bar;
    bar.setMousePointer(-32768);
    QCOMPARE(bar.MousePointer(), qint16(-32768));
    bar.setMousePointer(2);
    QCOMPARE(bar.cursor().shape(), Qt::CrossCursor);
    for (const qint64 shape : {qint64(32768), qint64(-40000), qint64(1) << 40}) {
        try {
            bar.setMousePointer(shape);
            QFAIL("accepted a shape outside 16 bits");
        } catch (const RuntimeError& e) {
            QCOMPARE(e.code(), ErrorCode::Overflow);
        }
    }
    QCOMPARE(bar.MousePointer(), qint16(2));
}

void TestProgressBar::propertyBagRoundTrip() {
    const auto original = bar0(0);
    original->setMin(-20);
    original->setMax(1000);
    original->setValue(321);
    original->setOrientation(OrientationVertical);
    original->setEnabled(false);
    original->setMousePointer(7);

    forms::PropertyBag bag;
    original->WriteProperties(bag);
    ucProgressBar copy;
    copy.ReadProperties(bag, forms::ambientFont());
    QCOMPARE(copy.Value(), 321);
    QCOMPARE(copy.Min(), -20);
    QCOMPARE(copy.Max(), 1000);
    QCOMPARE(copy.Span(), 1020);
    QCOMPARE(copy.LastValue(), -20);
    QCOMPARE(copy.CaptionFormat(), 99);
    QCOMPARE(copy.CaptionCustom(), QStringLiteral(" / 1000"));
    QCOMPARE(copy.Orientation(), 1);
    QVERIFY(!copy.Enabled());
    QCOMPARE(copy.FontColor(), forms::fromQColor(Ink));
    QCOMPARE(copy.MousePointer(), qint16(7));
    QVERIFY(copy.BarFont() && *copy.BarFont() == *captionFont());
    QCOMPARE(copy.BarPictureFore()->source(), m_forePath);
    QCOMPARE(copy.BarPictureBack()->source(), m_backPath);

    // Written again, the copy gives the same bag.
    forms::PropertyBag again;
    copy.WriteProperties(again);
    QCOMPARE(again.toMap(), bag.toMap());
}

void TestProgressBar::defaultsWriteNothing() {
    ucProgressBar bar;
    bar.InitProperties(captionFont());
    forms::PropertyBag bag;
    bar.WriteProperties(bag);
    QCOMPARE(bag.size(), 0);
}

void TestProgressBar::absentKeysReadAsDefaults() {
    // A bar that holds other values first, so that nothing passes by being left alone.
    const auto bar = bar0(500);
    bar->setOrientation(OrientationVertical);
    bar->setEnabled(false);
    bar->setMousePointer(2);
    bar->setMouseIcon(forms::PictureObject::fromImage(solid({16, 16}, Ink)));
    const forms::Font ambient =
        forms::makeFont({QStringLiteral("Tahoma"), 11.0, 700, forms::CharsetAnsi});

    forms::PropertyBag bag;
    bag.setRaw(QStringLiteral("_extentx"), 4630); // the host's own keys only
    bar->ReadProperties(bag, ambient);
    QCOMPARE(bar->CaptionCustom(), QString());
    QCOMPARE(bar->CaptionFormat(), 0);
    QCOMPARE(bar->Max(), 100);
    QCOMPARE(bar->Min(), 0);
    QCOMPARE(bar->Orientation(), 0);
    QCOMPARE(bar->Value(), 0);
    QVERIFY(bar->Enabled());
    QCOMPARE(bar->FontColor(), forms::OleColor(0x80000012));
    QVERIFY(bar->MouseIcon() && bar->MouseIcon()->type() == forms::PictureType::None);
    QVERIFY(bar->BarFont() && *bar->BarFont() == *ambient);
    QVERIFY(bar->BarPictureFore() && bar->BarPictureFore()->type() == forms::PictureType::None);
    QVERIFY(bar->BarPictureBack() && bar->BarPictureBack()->type() == forms::PictureType::None);
    QCOMPARE(bar->MousePointer(), qint16(0));
    QCOMPARE(bar->Span(), 100);
    QCOMPARE(bar->LastValue(), 0);
}

// error: 0 when loading succeeds, else the error number loading fails with.
void TestProgressBar::storedNumbersAreConverted_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<qint64>("expected");
    QTest::addColumn<int>("error");
    QTest::newRow("Max, half to even down") << "max" << QVariant(1002.5) << qint64(1002) << 0;
    QTest::newRow("Max, half to even up") << "max" << QVariant(1003.5) << qint64(1004) << 0;
    QTest::newRow("Value, half to even") << "Value" << QVariant(2.5) << qint64(2) << 0;
    QTest::newRow("Min as text") << "Min" << QVariant(QStringLiteral("-20")) << qint64(-20) << 0;
    QTest::newRow("system colour stored unsigned")
        << "FontColor" << QVariant(2147483666.0) << qint64(0x80000012) << 0;
    QTest::newRow("MousePointer, half to even")
        << "MousePointer" << QVariant(6.5) << qint64(6) << 0;
    QTest::newRow("Value that is no number")
        << "Value" << QVariant(QStringLiteral("abc")) << qint64(0) << 380;
    QTest::newRow("Enabled that is no flag")
        << "Enabled" << QVariant(QStringLiteral("abc")) << qint64(0) << 380;
    QTest::newRow("CaptionFormat as a map")
        << "CaptionFormat" << QVariant(QVariantMap{{QStringLiteral("a"), 1}}) << qint64(0) << 380;
    QTest::newRow("Max beyond 32 bits") << "Max" << QVariant(5e12) << qint64(0) << 6;
    QTest::newRow("MousePointer beyond 16 bits")
        << "MousePointer" << QVariant(40000) << qint64(0) << 6;
}

void TestProgressBar::storedNumbersAreConverted() {
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(qint64, expected);
    QFETCH(int, error);
    forms::PropertyBag bag = bag0();
    bag.setRaw(key, stored);
    ucProgressBar bar;
    try {
        bar.ReadProperties(bag, forms::ambientFont());
        QCOMPARE(error, 0);
    } catch (const RuntimeError& e) {
        QCOMPARE(e.number(), error);
        return;
    }
    const QString k = key.toLower();
    const qint64 got = k == u"max"            ? bar.Max()
                       : k == u"min"          ? bar.Min()
                       : k == u"value"        ? bar.Value()
                       : k == u"fontcolor"    ? qint64(bar.FontColor())
                       : k == u"mousepointer" ? bar.MousePointer()
                                              : -1;
    QCOMPARE(got, expected);
}

QTEST_MAIN(TestProgressBar)
#include "test_progressbar.moc"
