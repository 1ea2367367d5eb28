// The button with its pictures, tip, drop-down menu and message hook in place.
#include "controls/button/tqbutton.h"
#include "support/urlcatcher.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace tarvo;

namespace {

void mouse(QWidget& w, QEvent::Type type, QPointF at, Qt::MouseButtons held = Qt::NoButton) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, w.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &event);
}

void send(QWidget* to, QEvent::Type type) {
    QEvent event(type);
    QApplication::sendEvent(to, &event);
}

QRgb rgbAt(const tqbutton& b, int x, int y) {
    return b.surface().image().pixel(x, y) & 0xFFFFFFu;
}

QRgb rgb(int r, int g, int b) {
    return qRgb(r, g, b) & 0xFFFFFFu;
}

// A button in a window, loaded at run time (so its message hook is on).
struct Hosted {
    QWidget window;
    tqbutton* button = new tqbutton(&window);

    explicit Hosted(bool userMode = true) {
        window.setGeometry(100, 100, 300, 200);
        button->ReadProperties(forms::PropertyBag(), forms::ambientFont(), userMode);
        button->setGeometry(20, 20, 120, 40);
        button->setCaption(QStringLiteral("OK"));
        window.show();
    }
};

// Runs during the menu's modal run, then closes it.
void whileMenuOpen(QMenu& menu, bool& opened, std::function<void()> during) {
    QTimer::singleShot(0, &menu, [&menu, &opened, during] {
        opened = menu.isVisible();
        during();
        menu.close();
    });
}

// Swallows what a window hears when the activation or the focus moves.
class KeepActive final : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::ActivationChange:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
            return true;
        default:
            return false;
        }
    }
};

// A picture of one colour, 16 x 16.
forms::Picture square(QRgb colour) {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(colour);
    return forms::PictureObject::fromImage(image);
}

} // namespace

class TestButtonWiring final : public QObject {
    Q_OBJECT
private slots:
    // The picture at the left edge of a flat white button, by state: effects through the
    // control's tables, the pressed offset, grey at 191 when disabled.
    void pictureByState_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QPoint>("at"); // the picture's top-left pixel
        QTest::addColumn<uint>("expected");
        // Client 120 x 40, picture 16 x 16 at (3, 12); colour (200, 100, 50).
        QTest::newRow("normal") << "normal" << QPoint(3, 12) << rgb(200, 100, 50);
        QTest::newRow("hot brightens") << "hot" << QPoint(3, 12) << rgb(229, 114, 57);
        QTest::newRow("pressed darkens and moves by one")
            << "down" << QPoint(4, 13) << rgb(170, 85, 42);
        // Grey 124 (60 + 59 + 5.5, to even) at 191 over the body: worked out below.
        QTest::newRow("disabled grey at 191") << "disabled" << QPoint(3, 12) << 0u;
    }
    void pictureByState() {
        QFETCH(QString, how);
        QFETCH(QPoint, at);
        QFETCH(uint, expected);
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonStyle(StyleFlat);
        b.setBackColor(0xFFFFFF);
        b.setPictureAlign(0);
        b.setDisabledPictureMode(1);
        b.setPictureNormal(square(qRgb(200, 100, 50)));
        if (how == "hot")
            mouse(b, QEvent::MouseMove, QPointF(60, 20));
        else if (how == "down")
            mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        else if (how == "disabled")
            b.setEnabled(false);
        const QRgb body = rgbAt(b, 110, 5);
        if (how == "disabled") {
            const auto blend = [](int d) { return (d * 64 + 124 * 191) / 256; };
            expected = rgb(blend(qRed(body)), blend(qGreen(body)), blend(qBlue(body)));
        }
        QCOMPARE(QString::number(rgbAt(b, at.x(), at.y()), 16), QString::number(expected, 16));
        QCOMPARE(rgbAt(b, at.x() + 15, at.y() + 15), expected);
        // Round it the body shows.
        QCOMPARE(rgbAt(b, at.x() - 1, at.y()), body);
        QCOMPARE(rgbAt(b, at.x() + 16, at.y() + 15), body);
    }

    // The shadow's two silhouettes in the colours mixed from grey and BackColor.
    void shadowColours() {
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonStyle(StyleFlat);
        b.setBackColor(0xFFFFFF);
        b.setPictureAlign(0);
        b.setPictureShadow(true);
        b.setPictureNormal(square(qRgb(0, 0, 200)));
        // G = mix(128, 255) = 192 (191.5 to even); +0.05 -> 205, -0.1 -> 166.
        QCOMPARE(rgbAt(b, 3 + 17, 12 + 17), rgb(205, 205, 205));
        QCOMPARE(rgbAt(b, 3 + 16, 12 + 16), rgb(166, 166, 166));
        QCOMPARE(rgbAt(b, 3 + 15, 12 + 15), rgb(0, 0, 200));
        QCOMPARE(rgbAt(b, 3 + 18, 12 + 18), rgb(255, 255, 255));
    }

    void noPictureWithoutPictureNormal() {
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonStyle(StyleFlat);
        b.setBackColor(0xFFFFFF);
        b.setPictureAlign(0);
        b.setPictureHot(square(qRgb(0, 0, 200))); // goes into PictureNormal, no redraw
        b.Refresh();
        QCOMPARE(rgbAt(b, 3, 12), rgb(0, 0, 200));
        b.setPictureNormal(forms::PictureObject::none());
        QCOMPARE(rgbAt(b, 3, 12), rgb(255, 255, 255));
    }

    // The tip is made at the Hot entry from the tooltip properties, shows after the
    // delay, goes on a press; none while disabled.
    void tipOnHotEntry() {
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonToolTip(QStringLiteral("Hide"));
        b.setTooltipTitle(QStringLiteral("Tarvo"));
        b.setToolTipIcon(2);
        b.setToolTipType(1);
        b.setTooltipBackColor(0x00FFFF);
        b.setRightToLeft(true);
        mouse(b, QEvent::MouseMove, QPointF(60, 20));
        const button::TooltipWindow* tip = b.tooltip().window();
        QVERIFY(tip);
        QCOMPARE(tip->content().text, QStringLiteral("Hide"));
        QCOMPARE(tip->content().title, QStringLiteral("Tarvo"));
        QCOMPARE(tip->content().icon, 2);
        QCOMPARE(tip->content().type, 1);
        QCOMPARE(tip->content().backColor, forms::OleColor(0x00FFFF));
        QVERIFY(tip->content().rightToLeft);
        QTRY_VERIFY_WITH_TIMEOUT(b.tooltip().isShowing(), 10000);
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QVERIFY(!b.tooltip().isShowing());
    }

    void noTipWhileDisabledOrPressed() {
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonToolTip(QStringLiteral("Hide"));
        b.setEnabled(false);
        mouse(b, QEvent::MouseMove, QPointF(60, 20));
        QVERIFY(!b.tooltip().window());
        b.setEnabled(true);
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        mouse(b, QEvent::MouseMove, QPointF(61, 20), Qt::LeftButton);
        QVERIFY(!b.tooltip().window());
    }

    // Only the button's own tip: the host's tip text is cleared while it is shown.
    void hostTipClearedWhileShown() {
        Hosted h;
        tqbutton& b = *h.button;
        b.setButtonToolTip(QStringLiteral("Hide"));
        QVERIFY(b.toolTip().isEmpty());
        b.hide();
        QCOMPARE(b.toolTip(), QStringLiteral("Hide"));
        b.show();
        QVERIFY(b.toolTip().isEmpty());
    }

    // A left press opens the attached menu instead of raising MouseDown; leaving while
    // it is open keeps the button pressed until the menu closes away from it.
    void menuOnPress() {
        Hosted h;
        tqbutton& b = *h.button;
        QMenu menu;
        menu.addAction(QStringLiteral("Open"));
        b.SetPopupMenu(&menu, 0);
        QVERIFY(b.state().popupSet);
        QSignalSpy downs(&b, &tqbutton::MouseDown);
        QSignalSpy leaves(&b, &tqbutton::MouseLeave);
        bool opened = false;
        int stateWhileOpen = -1;
        QPoint menuAt;
        whileMenuOpen(menu, opened, [&] {
            send(&b, QEvent::Leave);
            stateWhileOpen = b.state().visualState;
            menuAt = menu.geometry().topLeft();
        });
        QVERIFY(QApplication::widgetAt(QCursor::pos()) != &b); // the pointer is elsewhere
        // A desktop keeps the window active and the button focused while a menu is open;
        // the offscreen platform does not, so that is held here, and only the menu's
        // closing can return the button to Normal.
        KeepActive keep;
        h.window.installEventFilter(&keep);
        b.installEventFilter(&keep);
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QVERIFY(opened);
        QCOMPARE(menuAt, b.mapToGlobal(QPoint(0, 40)));
        QCOMPARE(stateWhileOpen, int(StateDown));
        QCOMPARE(leaves.size(), 0);
        QCOMPARE(downs.size(), 0);
        // Closed away from the button: back to Normal.
        QCOMPARE(b.state().visualState, int(StateNormal));
        QVERIFY(!b.state().popupShown);
        QVERIFY(!b.state().mouseButtonDown);
        QVERIFY(!b.state().skipNextLeave);
    }

    // The keyboard focus a menu takes while it is open is not a focus loss of the button.
    void focusToAMenuKeepsThePress_data() {
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("state");
        QTest::newRow("to a menu") << int(Qt::PopupFocusReason) << int(StateDown);
        QTest::newRow("to another control") << int(Qt::TabFocusReason) << int(StateNormal);
    }
    void focusToAMenuKeepsThePress() {
        QFETCH(int, reason);
        QFETCH(int, state);
        Hosted h;
        tqbutton& b = *h.button;
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QCOMPARE(b.state().visualState, int(StateDown));
        QFocusEvent out(QEvent::FocusOut, Qt::FocusReason(reason));
        QApplication::sendEvent(&b, &out);
        QCOMPARE(b.state().visualState, state);
    }

    void menuClosedOnTheButton() {
        Hosted h;
        tqbutton& b = *h.button;
        QMenu menu;
        menu.addAction(QStringLiteral("Open"));
        b.SetPopupMenu(&menu, 7);
        bool opened = false;
        whileMenuOpen(menu, opened, [&] { QCursor::setPos(b.mapToGlobal(QPoint(60, 20))); });
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QVERIFY(opened);
        QVERIFY(b.state().popupShown);
        // The release that follows ends the press without events.
        QSignalSpy clicks(&b, &tqbutton::Click);
        mouse(b, QEvent::MouseButtonRelease, QPointF(60, 20));
        QCOMPARE(clicks.size(), 0);
        QVERIFY(!b.state().popupShown);
        QCOMPARE(b.state().visualState, int(StateNormal));
    }

    void unsetWhileShown() {
        Hosted h;
        tqbutton& b = *h.button;
        QMenu menu;
        menu.addAction(QStringLiteral("Open"));
        b.SetPopupMenu(&menu, 0);
        bool opened = false;
        whileMenuOpen(menu, opened, [&] { QCursor::setPos(b.mapToGlobal(QPoint(60, 20))); });
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QVERIFY(b.state().popupShown);
        b.UnsetPopupMenu();
        QVERIFY(!b.state().popupSet);
        QVERIFY(!b.state().popupShown);
    }

    void menuRules_data() {
        QTest::addColumn<int>("what"); // 0 not a menu, 1 align outside 0-7, 2 unset
        QTest::newRow("not a menu") << 0;
        QTest::newRow("align outside 0-7") << 1;
        QTest::newRow("unset") << 2;
    }
    void menuRules() {
        QFETCH(int, what);
        Hosted h;
        tqbutton& b = *h.button;
        QMenu menu;
        menu.addAction(QStringLiteral("Open"));
        QObject notAMenu;
        if (what == 0)
            b.SetPopupMenu(&notAMenu, 0);
        else
            b.SetPopupMenu(&menu, what == 1 ? 9 : 0);
        if (what == 2)
            b.UnsetPopupMenu();
        QCOMPARE(b.state().popupSet, what == 1);
        QSignalSpy downs(&b, &tqbutton::MouseDown);
        bool opened = false;
        whileMenuOpen(menu, opened, [] {});
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        QCoreApplication::processEvents();
        QVERIFY(!opened);
        QCOMPARE(downs.size(), what == 1 ? 0 : 1);
        QVERIFY(!b.state().skipNextLeave);
    }

    // The hook is on only when loaded at run time: leave, activation and colour changes
    // reach the button through it.
    void hookAtRunTimeOnly() {
        Hosted design(false);
        QVERIFY(!design.button->isHooked());
        mouse(*design.button, QEvent::MouseMove, QPointF(60, 20));
        send(design.button, QEvent::Leave);
        QCOMPARE(design.button->state().visualState, int(StateHot)); // no leave tracking

        Hosted run;
        tqbutton& b = *run.button;
        QVERIFY(b.isHooked());
        QSignalSpy leaves(&b, &tqbutton::MouseLeave);
        mouse(b, QEvent::MouseMove, QPointF(60, 20));
        QCOMPARE(b.state().visualState, int(StateHot));
        send(&b, QEvent::Leave);
        QCOMPARE(b.state().visualState, int(StateNormal));
        QCOMPARE(leaves.size(), 1);

        send(&run.window, QEvent::WindowActivate);
        QVERIFY(b.state().parentActive);
        mouse(b, QEvent::MouseButtonPress, QPointF(60, 20), Qt::LeftButton);
        send(&run.window, QEvent::WindowDeactivate);
        QVERIFY(!b.state().parentActive);
        QVERIFY(!b.state().mouseButtonDown);
        QCOMPARE(b.state().visualState, int(StateNormal));

        // A new colour for the button's body shows at once.
        b.setButtonStyle(StyleStandard);
        const QColor face(10, 120, 30);
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Button, face);
        b.setBackColor(forms::syscolour::ButtonFace);
        QVERIFY(b.surface().image().pixelColor(10, 10) != face);
        QApplication::setPalette(palette);
        QCoreApplication::processEvents(); // the widgets hear of it through posted events
        QCOMPARE(b.surface().image().pixelColor(10, 10), face);
        QApplication::setPalette(QPalette());
    }

    void hookOffWhenTheButtonEnds() {
        Hosted h;
        QVERIFY(h.button->isHooked());
        delete h.button;
        send(&h.window, QEvent::WindowActivate);
        send(&h.window, QEvent::WindowDeactivate);
        QVERIFY(h.window.findChildren<tqbutton*>().isEmpty());
    }

    // OpenWebsite hands the address to the desktop (here a stand-in, never a browser).
    void openWebsiteThroughTheDesktop() {
        Hosted h;
        testing::UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("http"), &catcher, "open");
        QVERIFY(h.button->OpenWebsite(QStringLiteral("http://127.0.0.1/tq/")));
        QVERIFY(!h.button->OpenWebsite(QString()));
        QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1/tq/"))});
    }
};

QTEST_MAIN(TestButtonWiring)
#include "test_buttonwiring.moc"
