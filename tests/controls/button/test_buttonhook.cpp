#include "controls/button/buttonhook.h"

#include <QApplication>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>
#include <QWidget>

#include <memory>
#include <stdexcept>

using namespace tarvo::button;

namespace {

// A window whose own handling records the events it gets.
class OwnHandling final : public QWidget {
public:
    using QWidget::QWidget;
    QStringList* log = nullptr;

protected:
    bool event(QEvent* e) override {
        if (log && (e->type() == QEvent::Leave || e->type() == QEvent::WindowActivate))
            *log << QStringLiteral("own %1").arg(int(e->type()));
        return QWidget::event(e);
    }
};

struct Fixture {
    OwnHandling window;
    OwnHandling* control = new OwnHandling(&window);
    QStringList calls;
    ButtonHook hook;

    HookHandlers handlers() {
        return {.leave = [this] { calls << QStringLiteral("leave"); },
                .activated = [this] { calls << QStringLiteral("activated"); },
                .deactivated = [this] { calls << QStringLiteral("deactivated"); },
                .redraw = [this] { calls << QStringLiteral("redraw"); }};
    }
};

void send(QWidget* to, QEvent::Type type) {
    QEvent event(type);
    QCoreApplication::sendEvent(to, &event);
}

} // namespace

class TestButtonHook final : public QObject {
    Q_OBJECT
private slots:
    void dispatch_data() {
        QTest::addColumn<bool>("toWindow");
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("themed");
        QTest::addColumn<QString>("expected");
        QTest::newRow("leave on the control") << false << int(QEvent::Leave) << true << "leave";
        QTest::newRow("style change") << false << int(QEvent::StyleChange) << true << "redraw";
        QTest::newRow("style change unthemed")
            << false << int(QEvent::StyleChange) << false << "redraw";
        QTest::newRow("colours change") << false << int(QEvent::PaletteChange) << true << "redraw";
        QTest::newRow("colours change unthemed: not followed")
            << false << int(QEvent::PaletteChange) << false << "";
        QTest::newRow("window activated")
            << true << int(QEvent::WindowActivate) << true << "activated";
        QTest::newRow("window deactivated")
            << true << int(QEvent::WindowDeactivate) << true << "deactivated";
        QTest::newRow("leaving the window is not the control's")
            << true << int(QEvent::Leave) << true << "";
        QTest::newRow("activation comes from the window only")
            << false << int(QEvent::WindowActivate) << true << "";
        QTest::newRow("other events") << false << int(QEvent::Enter) << true << "";
    }
    void dispatch() {
        QFETCH(bool, toWindow);
        QFETCH(int, type);
        QFETCH(bool, themed);
        QFETCH(QString, expected);
        Fixture f;
        QVERIFY(f.hook.install(f.control, f.handlers(), themed));
        QVERIFY(f.hook.isInstalled());
        send(toWindow ? static_cast<QWidget*>(&f.window) : f.control, QEvent::Type(type));
        QCOMPARE(f.calls.join(u','), expected);
    }

    // The hook sees the message first and never consumes it.
    void beforeTheWindowsOwnHandling() {
        Fixture f;
        QStringList log;
        f.control->log = &log;
        f.window.log = &log;
        HookHandlers handlers;
        handlers.leave = [&] { log << QStringLiteral("hook leave"); };
        handlers.activated = [&] { log << QStringLiteral("hook activated"); };
        QVERIFY(f.hook.install(f.control, handlers));
        send(f.control, QEvent::Leave);
        send(&f.window, QEvent::WindowActivate);
        QCOMPARE(log, (QStringList{"hook leave", QStringLiteral("own %1").arg(int(QEvent::Leave)),
                                   "hook activated",
                                   QStringLiteral("own %1").arg(int(QEvent::WindowActivate))}));
    }

    // Real changes of the control's colours and style, and of the window's activation.
    void realChanges() {
        Fixture f;
        f.window.show();
        QVERIFY(f.hook.install(f.control, f.handlers()));
        QPalette palette = f.control->palette();
        palette.setColor(QPalette::Button, Qt::red);
        f.control->setPalette(palette);
        QVERIFY(f.calls.contains(QStringLiteral("redraw")));

        f.calls.clear();
        std::unique_ptr<QStyle> style(QStyleFactory::create(QStringLiteral("Fusion")));
        f.control->setStyle(style.get());
        QVERIFY(f.calls.contains(QStringLiteral("redraw")));
        f.control->setStyle(nullptr);

        f.calls.clear();
        QWidget other;
        other.show();
        QApplication::setActiveWindow(&other);
        QApplication::setActiveWindow(&f.window);
        QVERIFY(f.calls.contains(QStringLiteral("activated")));
        f.calls.clear();
        QApplication::setActiveWindow(&other);
        QVERIFY(f.calls.contains(QStringLiteral("deactivated")));
    }

    void removedWhenTheControlEnds() {
        Fixture f;
        QVERIFY(f.hook.install(f.control, f.handlers()));
        f.hook.remove();
        QVERIFY(!f.hook.isInstalled());
        send(f.control, QEvent::Leave);
        send(&f.window, QEvent::WindowActivate);
        QVERIFY(f.calls.isEmpty());

        // Destroyed with the hook still on: both windows come free.
        {
            ButtonHook scoped;
            scoped.install(f.control, f.handlers());
        }
        send(f.control, QEvent::Leave);
        send(&f.window, QEvent::WindowActivate);
        QVERIFY(f.calls.isEmpty());
    }

    // Installing again replaces the earlier hooks instead of doubling them.
    void reinstallReplaces() {
        Fixture f;
        f.hook.install(f.control, f.handlers());
        f.hook.install(f.control, f.handlers());
        send(f.control, QEvent::Leave);
        QCOMPARE(f.calls, QStringList{QStringLiteral("leave")});
    }

    void controlGoneFirst() {
        auto* window = new QWidget;
        auto* control = new QWidget(window);
        ButtonHook hook;
        QVERIFY(hook.install(control, {}));
        delete window;
        QVERIFY(!hook.isInstalled());
        hook.remove();
    }

    // Without a control nothing is hooked; a failing handler does not stop the control's
    // own handling or the next messages.
    void failuresLeaveTheControlWorking() {
        ButtonHook none;
        QVERIFY(!none.install(nullptr, {}));
        QVERIFY(!none.isInstalled());

        Fixture f;
        QStringList log;
        f.control->log = &log;
        int leaves = 0;
        HookHandlers handlers;
        handlers.leave = [&] {
            ++leaves;
            throw std::runtime_error("failed");
        };
        QVERIFY(f.hook.install(f.control, handlers));
        send(f.control, QEvent::Leave);
        send(f.control, QEvent::Leave);
        QCOMPARE(leaves, 2);
        QCOMPARE(log.size(), 2);
    }
};

QTEST_MAIN(TestButtonHook)
#include "test_buttonhook.moc"
