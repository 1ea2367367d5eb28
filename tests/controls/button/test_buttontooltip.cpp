#include "controls/button/tooltipwindow.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTest>

using namespace tarvo;
using namespace tarvo::button;

namespace {

const QString LongTip = QStringLiteral(
    "Hides the window to the notification area; click the icon there to bring it back");

TooltipContent tip(const QString& text, int type = TooltipStandard) {
    TooltipContent c;
    c.text = text;
    c.type = type;
    return c;
}

struct Rendered {
    TooltipLook look;
    TooltipLayout layout;
    QImage image;
};

Rendered render(const TooltipContent& content, bool stemAbove = true) {
    Rendered r;
    r.look = tooltipLook(content, QApplication::style());
    r.layout = layoutTooltip(content, r.look, stemAbove);
    r.image = renderTooltip(content, r.look, r.layout, QApplication::palette());
    return r;
}

QColor back() {
    return QApplication::palette().color(QPalette::ToolTipBase);
}

bool near(QRgb a, const QColor& b, int tolerance = 40) {
    return qAbs(qRed(a) - b.red()) + qAbs(qGreen(a) - b.green()) + qAbs(qBlue(a) - b.blue()) <=
           tolerance;
}

// The box of the pixels inside `area` that are not the back colour.
QRect inkIn(const QImage& image, const QRect& area, const QColor& paper) {
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            if (!near(image.pixel(x, y), paper))
                ink |= QRect(x, y, 1, 1);
        }
    return ink;
}

QImage standardIcon(QStyle::StandardPixmap which, int size, const QColor& paper) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(paper);
    QPainter painter(&image);
    QApplication::style()->standardIcon(which).paint(&painter, image.rect());
    return image;
}

} // namespace

class TestButtonTooltip final : public QObject {
    Q_OBJECT
private slots:
    // Text longer than 240 pixels wraps onto further lines; a short one stays on one. A
    // wider title does not widen the text.
    void wrapsAt240_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("wraps");
        QTest::newRow("short") << QStringLiteral("Hide") << QString() << false;
        QTest::newRow("long") << LongTip << QString() << true;
        QTest::newRow("long, under a title wider than 240 pixels")
            << LongTip
            << QStringLiteral("A title far wider than the two hundred and forty pixels of a tip")
            << true;
    }
    void wrapsAt240() {
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(bool, wraps);
        TooltipContent content = tip(text);
        content.title = title;
        const Rendered r = render(content);
        const QFontMetrics metrics(r.look.font);
        const int line = metrics.height();
        QVERIFY(r.layout.textRect.width() <= 240);
        QCOMPARE(r.layout.textRect.height() >= 2 * line, wraps);
        // The wrapped text is drawn on its second line too.
        const QRect secondLine(r.layout.textRect.left(), r.layout.textRect.top() + line,
                               r.layout.textRect.width(), line);
        if (wraps)
            QVERIFY(!inkIn(r.image, secondLine, back()).isEmpty());
        QVERIFY(!inkIn(r.image, r.layout.textRect, back()).isEmpty());
        if (!wraps) {
            QVERIFY(r.layout.textRect.width() >= metrics.horizontalAdvance(text));
            QVERIFY(r.layout.textRect.width() <= metrics.horizontalAdvance(text) + 2);
        }
    }

    // A balloon with no title but the warning icon still shows the icon.
    void balloonWithOnlyAnIcon_data() {
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("standard");
        QTest::newRow("information") << 1 << int(QStyle::SP_MessageBoxInformation);
        QTest::newRow("warning") << 2 << int(QStyle::SP_MessageBoxWarning);
        QTest::newRow("error") << 3 << int(QStyle::SP_MessageBoxCritical);
    }
    void balloonWithOnlyAnIcon() {
        QFETCH(int, icon);
        QFETCH(int, standard);
        TooltipContent c = tip(QStringLiteral("Disk almost full"), TooltipBalloon);
        c.icon = icon;
        const Rendered r = render(c);
        QVERIFY(!r.layout.iconRect.isEmpty());
        QVERIFY(r.layout.titleRect.isEmpty());
        QVERIFY(r.layout.iconRect.bottom() < r.layout.textRect.top());
        const QImage shown = r.image.copy(r.layout.iconRect);
        const QImage expected =
            standardIcon(QStyle::StandardPixmap(standard), r.look.iconSize, back());
        QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
                 expected.convertToFormat(QImage::Format_RGB32));
        QVERIFY(!inkIn(r.image, r.layout.iconRect, back()).isEmpty());
    }

    void noIconNoTitleLine_data() {
        QTest::addColumn<int>("icon");
        QTest::newRow("none") << 0;
        QTest::newRow("unknown") << 7;
    }
    void noIconNoTitleLine() {
        QFETCH(int, icon);
        TooltipContent c = tip(QStringLiteral("Hide"), TooltipBalloon);
        c.icon = icon;
        const Rendered r = render(c);
        QVERIFY(r.layout.iconRect.isEmpty());
        QVERIFY(r.layout.titleRect.isEmpty());
        const Rendered plain = render(tip(QStringLiteral("Hide"), TooltipBalloon));
        QCOMPARE(r.layout.textRect, plain.layout.textRect);
    }

    // The title is bold, beside the icon, above the text.
    void titleBesideTheIcon() {
        TooltipContent c = tip(QStringLiteral("Click to hide"));
        c.title = QStringLiteral("Tarvo");
        c.icon = TooltipIconInfo;
        const Rendered r = render(c);
        QVERIFY(r.look.titleFont.bold());
        QVERIFY(!r.look.font.bold());
        QVERIFY(r.layout.titleRect.left() > r.layout.iconRect.right());
        QVERIFY(r.layout.titleRect.bottom() < r.layout.textRect.top());
        QCOMPARE(r.layout.titleRect.width(),
                 QFontMetrics(r.look.titleFont).horizontalAdvance(c.title));
        QVERIFY(!inkIn(r.image, r.layout.titleRect, back()).isEmpty());
    }

    void backColour_data() {
        QTest::addColumn<uint>("backColor");
        QTest::addColumn<QColor>("expected");
        QTest::newRow("0 keeps the desktop's colour") << 0u << back();
        QTest::newRow("own colour") << 0x00FFFFu << QColor(255, 255, 0);
        QTest::newRow("system colour translated")
            << 0x8000000Fu << QApplication::palette().color(QPalette::Button);
    }
    void backColour() {
        QFETCH(uint, backColor);
        QFETCH(QColor, expected);
        for (int type : {TooltipStandard, TooltipBalloon}) {
            TooltipContent c = tip(QStringLiteral("Hide"), type);
            c.backColor = backColor;
            const Rendered r = render(c);
            // Inside the padding, below the text.
            const QPoint at(r.layout.body.center().x(), r.layout.body.bottom() - 2);
            QCOMPARE(QColor(r.image.pixel(at)).rgb(), expected.rgb());
        }
    }

    // A rectangle fills its window; a balloon has round corners and a pointer.
    void shapes() {
        const Rendered rect = render(tip(QStringLiteral("Hide")));
        QVERIFY(rect.layout.stem.isEmpty());
        QCOMPARE(rect.layout.body, QRect(QPoint(0, 0), rect.layout.size));
        QCOMPARE(qAlpha(rect.image.pixel(0, 0)), 255);

        for (bool above : {true, false}) {
            const Rendered balloon = render(tip(QStringLiteral("Hide"), TooltipBalloon), above);
            const TooltipLayout& l = balloon.layout;
            QCOMPARE(l.stem.size(), 3);
            const QPoint tipPoint = l.stem.first();
            QCOMPARE(tipPoint.y(), above ? 0 : l.size.height() - 1);
            QVERIFY(above ? l.body.top() > 0 : l.body.bottom() < l.size.height() - 1);
            QCOMPARE(qAlpha(balloon.image.pixel(tipPoint)), 255);
            // Round corners: the body's corner pixel stays clear.
            QCOMPARE(qAlpha(balloon.image.pixel(l.body.topLeft())), 0);
            QCOMPARE(qAlpha(balloon.image.pixel(l.body.bottomRight())), 0);
            // Beside the pointer, outside the body, nothing.
            const int besideY = above ? 1 : l.size.height() - 2;
            QCOMPARE(qAlpha(balloon.image.pixel(l.size.width() - 1, besideY)), 0);
        }
    }

    // Right to left: the icon goes right, the text keeps to the right edge.
    void rightToLeft() {
        TooltipContent c = tip(QStringLiteral("Hide"), TooltipBalloon);
        c.icon = TooltipIconWarning;
        c.title = QStringLiteral("Tarvo");
        const Rendered ltr = render(c);
        c.rightToLeft = true;
        const Rendered rtl = render(c);
        QCOMPARE(rtl.layout.size, ltr.layout.size);
        QVERIFY(rtl.layout.iconRect.left() > rtl.layout.titleRect.right());
        QCOMPARE(rtl.layout.iconRect.right(),
                 ltr.layout.size.width() - 1 - ltr.layout.iconRect.left());
        QVERIFY(rtl.layout.stem.first().x() > rtl.layout.size.width() / 2);
        // The short text sits at the right of its line, under the icon.
        const QRect wide(rtl.layout.body.left() + 2, rtl.layout.textRect.top(),
                         rtl.layout.body.width() - 4, rtl.layout.textRect.height());
        const QRect ink = inkIn(rtl.image, wide, back());
        const QRect ltrInk = inkIn(ltr.image, wide, back());
        QVERIFY(ink.right() > ltrInk.right());
        QVERIFY(ink.left() > ltrInk.left());
    }

    // Placement on the screen: a rectangle below the pointer, a balloon's pointer on it,
    // both above the pointer near the bottom of the screen.
    void placement_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("nearBottom");
        QTest::newRow("rectangle") << int(TooltipStandard) << false;
        QTest::newRow("rectangle at the bottom") << int(TooltipStandard) << true;
        QTest::newRow("balloon") << int(TooltipBalloon) << false;
        QTest::newRow("balloon at the bottom") << int(TooltipBalloon) << true;
    }
    void placement() {
        QFETCH(int, type);
        QFETCH(bool, nearBottom);
        QWidget control;
        control.show();
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QPoint at(screen.left() + 200, nearBottom ? screen.bottom() - 5 : screen.top() + 100);
        TooltipWindow window(tip(QStringLiteral("Hide"), type), &control);
        window.showAt(at);
        QVERIFY(window.isVisible());
        const QRect g = window.geometry();
        QVERIFY(screen.contains(g));
        if (type == TooltipBalloon) {
            QCOMPARE(window.tipLayout().stemAbove, !nearBottom);
            QCOMPARE(g.topLeft() + window.tipLayout().stem.first(), at);
        } else if (nearBottom) {
            QVERIFY(g.bottom() < at.y());
        } else {
            QCOMPARE(g.topLeft(), at + QPoint(2, 16));
        }
    }

    // When the tip comes and goes.
    void noTipWhen_data() {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("popupShown");
        QTest::addColumn<bool>("pressed");
        QTest::addColumn<QString>("text");
        QTest::newRow("disabled") << false << false << false << "Hide";
        QTest::newRow("menu shown") << true << true << false << "Hide";
        QTest::newRow("pressed") << true << false << true << "Hide";
        QTest::newRow("empty text") << true << false << false << "";
    }
    void noTipWhen() {
        QFETCH(bool, enabled);
        QFETCH(bool, popupShown);
        QFETCH(bool, pressed);
        QFETCH(QString, text);
        QWidget control;
        control.show();
        ButtonTooltip tooltip(&control);
        tooltip.enterHot(tip(text), enabled, popupShown, pressed);
        QVERIFY(!tooltip.window());
        QVERIFY(!tooltip.isWaiting());
    }

    void showsAfterTheDesktopsDelay() {
        QWidget control;
        control.resize(80, 24);
        control.show();
        ButtonTooltip tooltip(&control);
        QCOMPARE(tooltip.delay(), control.style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay));
        tooltip.enterHot(tip(QStringLiteral("Hide")), true, false, false);
        QVERIFY(tooltip.window());
        QVERIFY(!tooltip.isShowing());
        QVERIFY(tooltip.isWaiting());
        QTRY_VERIFY_WITH_TIMEOUT(tooltip.isShowing(), 10000);
        QCOMPARE(tooltip.window()->content().text, QStringLiteral("Hide"));
    }

    void goneWhenThePointerLeavesOrPresses_data() {
        QTest::addColumn<bool>("press");
        QTest::newRow("leaves") << false;
        QTest::newRow("presses") << true;
    }
    void goneWhenThePointerLeavesOrPresses() {
        QFETCH(bool, press);
        QWidget control;
        control.show();
        ButtonTooltip tooltip(&control);
        tooltip.enterHot(tip(QStringLiteral("Hide")), true, false, false);
        QTRY_VERIFY_WITH_TIMEOUT(tooltip.isShowing(), 10000);
        press ? tooltip.pointerPressed() : tooltip.pointerLeft();
        QVERIFY(!tooltip.isShowing());
        // Before it showed, too: it does not come later.
        tooltip.enterHot(tip(QStringLiteral("Hide")), true, false, false);
        QVERIFY(tooltip.isWaiting());
        press ? tooltip.pointerPressed() : tooltip.pointerLeft();
        QVERIFY(!tooltip.isWaiting());
        tooltip.pointerMoved();
        QVERIFY(!tooltip.isWaiting());
        QTest::qWait(tooltip.delay() + 100);
        QVERIFY(!tooltip.isShowing());
    }

    // While the pointer rests, the tip goes by itself after a while, as the system's do.
    void goneWhileThePointerRests() {
        QWidget control;
        control.show();
        ButtonTooltip tooltip(&control);
        tooltip.enterHot(tip(QStringLiteral("Hide")), true, false, false);
        QTRY_VERIFY_WITH_TIMEOUT(tooltip.isShowing(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!tooltip.isShowing(), 30000);
        QVERIFY(!tooltip.isWaiting()); // and it does not come back
    }

    // Each Hot entry makes a new tip from the current properties.
    void recreatedAtEveryHotEntry() {
        QWidget control;
        control.show();
        ButtonTooltip tooltip(&control);
        tooltip.enterHot(tip(QStringLiteral("First")), true, false, false);
        const QPointer<TooltipWindow> first = tooltip.window();
        QVERIFY(first);
        tooltip.enterHot(tip(QStringLiteral("Second")), true, false, false);
        QVERIFY(!first);
        QCOMPARE(tooltip.window()->content().text, QStringLiteral("Second"));
        // A blocked entry leaves the last tip as it was.
        const QPointer<TooltipWindow> second = tooltip.window();
        tooltip.enterHot(tip(QStringLiteral("Third")), false, false, false);
        QCOMPARE(tooltip.window(), second.data());
    }

    // Moving on the button before the tip shows starts the wait again.
    void movingRestartsTheWait() {
        QWidget control;
        control.show();
        ButtonTooltip tooltip(&control);
        tooltip.enterHot(tip(QStringLiteral("Hide")), true, false, false);
        QTest::qWait(tooltip.delay() / 2);
        QVERIFY(tooltip.remainingWait() < tooltip.delay() * 3 / 4);
        tooltip.pointerMoved();
        QVERIFY(tooltip.remainingWait() > tooltip.delay() * 3 / 4);
        QVERIFY(!tooltip.isShowing());
        QTRY_VERIFY_WITH_TIMEOUT(tooltip.isShowing(), 10000);
        // Once shown, moving on the button keeps it.
        tooltip.pointerMoved();
        QVERIFY(tooltip.isShowing());
    }
};

QTEST_MAIN(TestButtonTooltip)
#include "test_buttontooltip.moc"
