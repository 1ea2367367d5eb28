#include "controls/button/buttonhook.h"
#include "controls/button/popupmenu.h"

#include <QApplication>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

using namespace tarvo::button;

namespace {

// What was seen while the menu was open, then the menu is closed.
struct WhileOpen {
    bool opened = false;
    QRect geometry;
    QAction* defaultAction = nullptr;
};

// Runs during the menu's modal run: records, does the extra work, closes the menu.
void closeWhenOpen(QMenu& menu, WhileOpen& seen, std::function<void()> during = {}) {
    QTimer::singleShot(0, &menu, [&menu, &seen, during] {
        seen.opened = menu.isVisible();
        seen.geometry = menu.geometry();
        seen.defaultAction = menu.defaultAction();
        if (during)
            during();
        menu.close();
    });
}

struct Fixture {
    QWidget window;
    QWidget* control = new QWidget(&window);
    QMenu menu;
    PopupMenu popup;
    // The button's bookkeeping.
    bool shown = false;
    bool skipNextLeave = false;

    PopupMenu::Outcome open() { return popup.open(*control, shown, skipNextLeave); }

    Fixture() {
        window.setGeometry(200, 150, 300, 200);
        control->setGeometry(40, 30, 80, 24);
        menu.addAction(QStringLiteral("First"));
        menu.addAction(QStringLiteral("Second"));
        window.show();
        popup.setWidgetUnderCursor([] { return nullptr; });
    }
};

} // namespace

class TestButtonPopup final : public QObject {
    Q_OBJECT
private slots:
    void anchorAndFlags_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<QPoint>("anchor");
        QTest::addColumn<int>("flags");
        // Client 80 x 24; flags 2 given by the host.
        QTest::newRow("0 below, host flags") << 0 << QPoint(0, 24) << 2;
        QTest::newRow("1 above, bottom edge") << 1 << QPoint(0, 0) << 32;
        QTest::newRow("2 left, right edge") << 2 << QPoint(0, 0) << 10;
        QTest::newRow("3 right, host flags") << 3 << QPoint(80, 0) << 2;
        QTest::newRow("4 above left, both edges") << 4 << QPoint(0, 0) << 40;
        QTest::newRow("5 below left, right edge") << 5 << QPoint(0, 24) << 10;
        QTest::newRow("6 above right, bottom edge") << 6 << QPoint(80, 0) << 32;
        QTest::newRow("7 below right, host flags") << 7 << QPoint(80, 24) << 2;
    }
    void anchorAndFlags() {
        QFETCH(int, align);
        QFETCH(QPoint, anchor);
        QFETCH(int, flags);
        const std::optional<PopupPosition> p = popupPosition(align, 2, QSize(80, 24));
        QVERIFY(p);
        QCOMPARE(p->anchor, anchor);
        QCOMPARE(p->flags, flags);
    }

    void edgesOnTheAnchor_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QPoint>("topLeft");
        QTest::newRow("none") << 0 << QPoint(100, 50);
        QTest::newRow("8 right edge") << 8 << QPoint(40, 50);
        QTest::newRow("32 bottom edge") << 32 << QPoint(100, 20);
        QTest::newRow("40 both") << 40 << QPoint(40, 20);
        QTest::newRow("other flags alone move nothing") << 2 << QPoint(100, 50);
    }
    void edgesOnTheAnchor() {
        QFETCH(int, flags);
        QFETCH(QPoint, topLeft);
        QCOMPARE(menuTopLeft(QPoint(100, 50), flags, QSize(60, 30)), topLeft);
    }

    void onlyMenusAttach() {
        Fixture f;
        QObject notAMenu;
        QVERIFY(!f.popup.set(&notAMenu, 0));
        QVERIFY(!f.popup.set(nullptr, 0));
        QVERIFY(!f.popup.isSet());

        QAction* second = f.menu.actions().at(1);
        QVERIFY(f.popup.set(&f.menu, 3, 2, second));
        QVERIFY(f.popup.isSet());
        QCOMPARE(f.popup.align(), 3);
        QCOMPARE(f.popup.flags(), 2);
        QCOMPARE(f.popup.defaultItem(), second);

        // Something else afterwards leaves the attached menu as it was.
        QVERIFY(!f.popup.set(&notAMenu, 5, 8));
        QCOMPARE(f.popup.menu(), &f.menu);
        QCOMPARE(f.popup.align(), 3);

        f.popup.unset();
        QVERIFY(!f.popup.isSet());
        QCOMPARE(f.popup.menu(), nullptr);
        WhileOpen seen;
        closeWhenOpen(f.menu, seen);
        QCOMPARE(f.open(), PopupMenu::Outcome::NotOpened);
        QVERIFY(!f.skipNextLeave);
        QCoreApplication::processEvents();
        QVERIFY(!seen.opened);
    }

    void alignOutsideTheTableOpensNothing_data() {
        QTest::addColumn<int>("align");
        QTest::newRow("-1") << -1;
        QTest::newRow("8") << 8;
        QTest::newRow("255") << 255;
    }
    void alignOutsideTheTableOpensNothing() {
        QFETCH(int, align);
        QVERIFY(!popupPosition(align, 0, QSize(80, 24)));
        Fixture f;
        f.popup.set(&f.menu, align, 2);
        WhileOpen seen;
        closeWhenOpen(f.menu, seen);
        QCOMPARE(f.open(), PopupMenu::Outcome::NotOpened);
        QCoreApplication::processEvents();
        QVERIFY(!seen.opened);
        QVERIFY(!f.skipNextLeave);
        QCOMPARE(f.popup.flags(), 2);
    }

    // Aligns 1, 4 and 6 replace the host's flags, and the flags are stored back.
    void fixedAlignsReplaceTheFlags_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<int>("flags");
        QTest::newRow("1") << 1 << 32;
        QTest::newRow("4") << 4 << 40;
        QTest::newRow("6") << 6 << 32;
    }
    void fixedAlignsReplaceTheFlags() {
        QFETCH(int, align);
        QFETCH(int, flags);
        Fixture f;
        f.popup.set(&f.menu, align, 8 | 2);
        WhileOpen seen;
        closeWhenOpen(f.menu, seen);
        f.open();
        QVERIFY(seen.opened);
        QCOMPARE(f.popup.flags(), flags);
    }

    // The menu lands on the anchor with the edges the flags say, in screen coordinates.
    void menuPlacement_data() {
        QTest::addColumn<int>("align");
        QTest::addColumn<QString>("corner"); // which corner of the menu is on the anchor
        QTest::addColumn<QPoint>("anchor");  // in the control's pixels
        QTest::newRow("0") << 0 << "topLeft" << QPoint(0, 24);
        QTest::newRow("3") << 3 << "topLeft" << QPoint(80, 0);
        QTest::newRow("4") << 4 << "bottomRight" << QPoint(0, 0);
        QTest::newRow("5") << 5 << "topRight" << QPoint(0, 24);
        QTest::newRow("6") << 6 << "bottomLeft" << QPoint(80, 0);
        QTest::newRow("7") << 7 << "topLeft" << QPoint(80, 24);
    }
    void menuPlacement() {
        QFETCH(int, align);
        QFETCH(QString, corner);
        QFETCH(QPoint, anchor);
        Fixture f;
        f.popup.set(&f.menu, align);
        WhileOpen seen;
        closeWhenOpen(f.menu, seen);
        f.open();
        QVERIFY(seen.opened);
        const QPoint at = f.control->mapToGlobal(anchor);
        const QRect& g = seen.geometry;
        // QRect's right and bottom are inclusive; the menu's edge is one past them.
        const QPoint got = corner == "topLeft"      ? g.topLeft()
                           : corner == "topRight"   ? QPoint(g.right() + 1, g.top())
                           : corner == "bottomLeft" ? QPoint(g.left(), g.bottom() + 1)
                                                    : g.bottomRight() + QPoint(1, 1);
        QCOMPARE(got, at);
    }

    // Adding the right-edge flag again at every opening would change the flags each
    // time; the menu opens in the same place every time.
    void rightEdgeFlagIsStable() {
        Fixture f;
        f.popup.set(&f.menu, 2, 0);
        QRect first;
        for (int i = 0; i < 3; ++i) {
            WhileOpen seen;
            closeWhenOpen(f.menu, seen);
            f.open();
            QVERIFY(seen.opened);
            QCOMPARE(f.popup.flags(), 8);
            if (i == 0)
                first = seen.geometry;
            QCOMPARE(seen.geometry, first);
        }
    }

    void defaultItemShownWhileOpen() {
        Fixture f;
        QAction* own = f.menu.actions().at(0);
        QAction* second = f.menu.actions().at(1);
        f.menu.setDefaultAction(own);
        f.popup.set(&f.menu, 0, 0, second);
        WhileOpen seen;
        closeWhenOpen(f.menu, seen);
        f.open();
        QCOMPARE(seen.defaultAction, second);
        QCOMPARE(f.menu.defaultAction(), own);

        // Without a default item the menu's own default stays.
        f.popup.set(&f.menu, 0, 0, nullptr);
        closeWhenOpen(f.menu, seen);
        f.open();
        QCOMPARE(seen.defaultAction, own);
    }

    void whereTheMenuCloses_data() {
        QTest::addColumn<bool>("overControl");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<bool>("shown");
        QTest::newRow("on the button")
            << true << int(PopupMenu::Outcome::ClosedOverControl) << true;
        QTest::newRow("elsewhere") << false << int(PopupMenu::Outcome::ClosedElsewhere) << false;
    }
    void whereTheMenuCloses() {
        QFETCH(bool, overControl);
        QFETCH(int, outcome);
        QFETCH(bool, shown);
        Fixture f;
        f.popup.setWidgetUnderCursor(
            [&f, overControl]() -> QWidget* { return overControl ? f.control : nullptr; });
        f.popup.set(&f.menu, 0);
        WhileOpen seen;
        bool skippingWhileOpen = false;
        closeWhenOpen(f.menu, seen, [&] { skippingWhileOpen = f.skipNextLeave; });
        QCOMPARE(int(f.open()), outcome);
        QVERIFY(skippingWhileOpen);
        QCOMPARE(f.shown, shown);
        if (!overControl)
            QVERIFY(!f.skipNextLeave);
    }

    // The leave that opening the menu causes is absorbed: the button stays pressed until
    // the menu closes away from it. A later leave is not absorbed.
    void leaveDuringAnOpenMenu() {
        Fixture f;
        QString state = QStringLiteral("Down");
        QStringList leaves;
        ButtonHook hook;
        HookHandlers handlers;
        // The control's leave: the popup's bookkeeping first, then back to Normal.
        handlers.leave = [&] {
            if (absorbPopupLeave(f.popup.isSet(), f.shown, f.skipNextLeave)) {
                leaves << QStringLiteral("absorbed");
                return;
            }
            leaves << QStringLiteral("left");
            state = QStringLiteral("Normal");
        };
        QVERIFY(hook.install(f.control, handlers));
        f.popup.set(&f.menu, 0);
        WhileOpen seen;
        QString stateWhileOpen;
        bool shownWhileOpen = false;
        closeWhenOpen(f.menu, seen, [&] {
            QEvent leave(QEvent::Leave);
            QCoreApplication::sendEvent(f.control, &leave);
            stateWhileOpen = state;
            shownWhileOpen = f.shown;
        });
        const PopupMenu::Outcome outcome = f.open();
        QVERIFY(seen.opened);
        QCOMPARE(leaves.value(0), QStringLiteral("absorbed"));
        QCOMPARE(stateWhileOpen, QStringLiteral("Down"));
        QVERIFY(shownWhileOpen);
        // Closed away from the button: the control now returns to Normal.
        QCOMPARE(outcome, PopupMenu::Outcome::ClosedElsewhere);
        QVERIFY(!f.shown);

        leaves.clear();
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(f.control, &leave);
        QCOMPARE(leaves, QStringList{QStringLiteral("left")});
        QCOMPARE(state, QStringLiteral("Normal"));
    }

    // Without a menu attached a leave is never absorbed and changes nothing.
    void leaveWithoutMenu() {
        bool shown = true;
        bool skip = true;
        QVERIFY(!absorbPopupLeave(false, shown, skip));
        QVERIFY(shown);
        QVERIFY(skip);
    }

    // A menu item that ends the button while the menu is open.
    void buttonEndedFromTheMenu() {
        QWidget window;
        auto* control = new QWidget(&window);
        control->resize(80, 24);
        auto* popup = new PopupMenu;
        bool shown = false;
        bool skip = false;
        QMenu menu;
        menu.addAction(QStringLiteral("End"));
        window.show();
        popup->set(&menu, 0);
        WhileOpen seen;
        closeWhenOpen(menu, seen, [&] {
            delete popup;
            delete control;
        });
        // The object is gone when open returns; only the result is looked at.
        QCOMPARE(popup->open(*control, shown, skip), PopupMenu::Outcome::ControlEnded);
        QVERIFY(seen.opened);
    }
};

QTEST_MAIN(TestButtonPopup)
#include "test_buttonpopup.moc"
