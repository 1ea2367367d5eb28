#include "forms/windowhook.h"

#include "support/recordingwindow.h"

#include <QTest>
#include <QWidget>

using namespace tarvo::forms;
using tarvo::testing::RecordingWindow;

namespace {

bool sendTray(QWidget* window, int mouseMessage) {
    TrayCallbackEvent event(2025, mouseMessage);
    return QCoreApplication::sendEvent(window, &event);
}

} // namespace

class TestWindowHook final : public QObject {
    Q_OBJECT
private slots:
    void trayEventTypeIsRegisteredOnce() {
        const QEvent::Type type = TrayCallbackEvent::eventType();
        QVERIFY(type >= QEvent::User && type <= QEvent::MaxUser);
        QCOMPARE(TrayCallbackEvent::eventType(), type);
        const TrayCallbackEvent event(2025, WmLButtonUp);
        QCOMPARE(event.type(), type);
        QCOMPARE(event.callbackMessage(), 2025);
        QCOMPARE(event.mouseMessage(), 514);
    }

    void lastInstalledSeesEventsFirst() {
        RecordingWindow window;
        QStringList seen;
        // The first hook consumes right-button releases, the second left-button ones.
        WindowHook first(&window, [&](QEvent* e) {
            if (e->type() != TrayCallbackEvent::eventType())
                return false;
            seen << QStringLiteral("first");
            return static_cast<TrayCallbackEvent*>(e)->mouseMessage() == WmRButtonUp;
        });
        WindowHook second(&window, [&](QEvent* e) {
            if (e->type() != TrayCallbackEvent::eventType())
                return false;
            seen << QStringLiteral("second");
            return static_cast<TrayCallbackEvent*>(e)->mouseMessage() == WmLButtonUp;
        });

        sendTray(&window, WmLButtonUp);
        QCOMPARE(seen, QStringList{QStringLiteral("second")}); // consumed before the first
        QVERIFY(window.received.isEmpty());

        seen.clear();
        sendTray(&window, WmRButtonUp);
        QCOMPARE(seen, (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
        QVERIFY(window.received.isEmpty());

        seen.clear();
        sendTray(&window, 512);
        QCOMPARE(seen, (QStringList{QStringLiteral("second"), QStringLiteral("first")}));
        QCOMPARE(window.received, QList<int>{512}); // passed on by both

        // Removing the last hook puts the first one back in front.
        second.remove();
        QVERIFY(!second.isInstalled());
        seen.clear();
        window.received.clear();
        sendTray(&window, WmLButtonUp);
        QCOMPARE(seen, QStringList{QStringLiteral("first")});
        QCOMPARE(window.received, QList<int>{WmLButtonUp});

        first.remove();
        first.remove(); // twice is harmless
        seen.clear();
        window.received.clear();
        sendTray(&window, WmRButtonUp);
        QVERIFY(seen.isEmpty());
        QCOMPARE(window.received, QList<int>{WmRButtonUp});
    }

    void destroyingAHookRemovesIt() {
        RecordingWindow window;
        int calls = 0;
        {
            WindowHook hook(&window, [&](QEvent* e) {
                calls += e->type() == TrayCallbackEvent::eventType();
                return true;
            });
            QCOMPARE(hook.window(), &window);
            sendTray(&window, WmLButtonUp);
        }
        sendTray(&window, WmLButtonUp);
        QCOMPARE(calls, 1);
        QCOMPARE(window.received, QList<int>{WmLButtonUp});
    }

    void hookOutlivingItsWindowIsHarmless() {
        auto* window = new RecordingWindow;
        WindowHook hook(window, [](QEvent*) { return false; });
        QVERIFY(hook.isInstalled());
        delete window;
        QVERIFY(!hook.isInstalled());
        hook.remove();
    }

    void aHookMayRemoveItselfWhileHandling() {
        RecordingWindow window;
        int calls = 0;
        std::unique_ptr<WindowHook> hook;
        hook = std::make_unique<WindowHook>(&window, [&](QEvent* e) {
            if (e->type() != TrayCallbackEvent::eventType())
                return false;
            ++calls;
            hook.reset();
            return true;
        });
        sendTray(&window, WmLButtonUp);
        sendTray(&window, WmRButtonUp);
        QCOMPARE(calls, 1);
        QCOMPARE(window.received, QList<int>{WmRButtonUp});
    }

    void aThrowingHookPassesTheEventOn() {
        RecordingWindow window;
        WindowHook hook(&window, [](QEvent* e) -> bool {
            if (e->type() == TrayCallbackEvent::eventType())
                throw std::runtime_error("failing hook");
            return false;
        });
        sendTray(&window, WmLButtonUp);
        QCOMPARE(window.received, QList<int>{WmLButtonUp});
    }
};

QTEST_MAIN(TestWindowHook)
#include "test_windowhook.moc"
