#include "services/apistuff.h"

#include "forms/picture.h"
#include "forms/windowhook.h"
#include "platform/fake/faketray.h"
#include "runtime/codepage.h"

#include "support/recordingwindow.h"
#include <QPixmap>

#include <QTest>
#include <QWidget>

using namespace tarvo;
using namespace tarvo::runtime;
using namespace tarvo::forms;
using namespace tarvo::platform;
using tarvo::testing::RecordingWindow;

namespace {

QIcon solidIcon(const QColor& colour) {
    QPixmap pixmap(16, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}

// The procedure the tray hook replaces when another hook got there first.
struct ReplacedProcedure {
    QList<int> seen;
    WindowHook hook;

    explicit ReplacedProcedure(QWidget* window)
        : hook(window, [this](QEvent* e) {
            if (e->type() == TrayCallbackEvent::eventType())
                seen << static_cast<TrayCallbackEvent*>(e)->mouseMessage();
            return false;
        }) {}
};

void sendCallback(QWidget* window, int mouseMessage) {
    TrayCallbackEvent event(APIStuff::TrayCallbackMessage, mouseMessage);
    QCoreApplication::sendEvent(window, &event);
}

} // namespace

class TestAPIStuff final : public QObject {
    Q_OBJECT

private slots:
    void installAddsTheWindowIcon();
    void leftReleaseTogglesTheWindow();
    void rightReleaseIsSwallowedOthersPassOn();
    void tipIsCutToItsField_data();
    void tipIsCutToItsField();
    void onlyIconPicturesChangeTheIcon();
    void addingAgainKeepsTipAndHooksOnce();
    void removeDeletesAndUnhooks();
    void withoutNotificationAreaHidingMinimises();
};

void TestAPIStuff::installAddsTheWindowIcon() {
    FakeTrayIcon tray;
    RecordingWindow window;
    window.setWindowIcon(solidIcon(Qt::green));
    APIStuff api(tray);
    api.InstallTrayIcon(&window);

    QCOMPARE(tray.requests().size(), 1);
    const FakeTrayIcon::Request& add = tray.requests().front();
    QCOMPARE(add.action, NotifyAction::Add);
    QCOMPARE(add.data.flags, quint32(31));
    QCOMPARE(add.data.id, quint32(1));
    QCOMPARE(add.data.callbackMessage, 2025);
    QCOMPARE(add.data.window.data(), &window);
    QCOMPARE(add.data.icon.cacheKey(), window.windowIcon().cacheKey());
    QVERIFY(tray.tip().isEmpty());
    QVERIFY(tray.isShown());
    QVERIFY(api.isHooked());
}

void TestAPIStuff::leftReleaseTogglesTheWindow() {
    FakeTrayIcon tray;
    RecordingWindow window;
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    window.show();

    tray.click(WmLButtonUp);
    QVERIFY(!window.isVisible());
    tray.click(WmLButtonUp);
    QVERIFY(window.isVisible());
    QVERIFY(!window.isMinimized());
    // The window's own handling still sees both releases.
    QCOMPARE(window.received, (QList<int>{WmLButtonUp, WmLButtonUp}));
}

void TestAPIStuff::rightReleaseIsSwallowedOthersPassOn() {
    FakeTrayIcon tray;
    RecordingWindow window;
    ReplacedProcedure previous(&window);
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    window.show();

    tray.click(WmRButtonUp);
    QVERIFY(previous.seen.isEmpty());
    QVERIFY(window.received.isEmpty());
    QVERIFY(window.isVisible());

    const int mouseMove = 512;
    tray.click(mouseMove);
    tray.click(WmLButtonUp);
    QCOMPARE(previous.seen, (QList<int>{mouseMove, WmLButtonUp}));
    QCOMPARE(window.received, (QList<int>{mouseMove, WmLButtonUp}));

    // A callback of another message number is not the icon's: it is only passed on.
    TrayCallbackEvent foreign(2026, WmRButtonUp);
    QCoreApplication::sendEvent(&window, &foreign);
    QCOMPARE(previous.seen.size(), 3);
    QCOMPARE(previous.seen.last(), WmRButtonUp);
}

void TestAPIStuff::tipIsCutToItsField_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("fieldBytes");
    QTest::addColumn<bool>("endsInNul");

    const QString ascii127(127, u'a');
    QTest::newRow("127 ASCII arrive whole with the NUL") << ascii127 << ascii127 << 128 << true;
    QTest::newRow("128 ASCII lose the NUL")
        << QString(128, u'b') << QString(128, u'b') << 128 << false;
    QTest::newRow("200 ASCII cut to 128")
        << QString(200, u'c') << QString(128, u'c') << 128 << false;
    QTest::newRow("welcome") << QStringLiteral("欢迎使用Tarvo") << QStringLiteral("欢迎使用Tarvo")
                             << 128 << false;
    QTest::newRow("70 Chinese cut at 64")
        << QString(70, u'网') << QString(64, u'网') << 128 << false;
    // One byte ahead: the 64th character would straddle byte 128 and is dropped whole.
    QTest::newRow("no half character")
        << (u'a' + QString(70, u'网')) << (u'a' + QString(63, u'网')) << 127 << false;
    QTest::newRow("empty") << QString() << QString() << 128 << false;
}

void TestAPIStuff::tipIsCutToItsField() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(int, fieldBytes);
    QFETCH(bool, endsInNul);

    FakeTrayIcon tray;
    RecordingWindow window;
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    api.SetTrayTip(text);

    const FakeTrayIcon::Request& modify = tray.requests().last();
    QCOMPARE(modify.action, NotifyAction::Modify);
    QCOMPARE(modify.data.flags, quint32(4));
    QCOMPARE(tray.tip(), shown);
    QCOMPARE(int(modify.data.tip.size()), fieldBytes);
    QCOMPARE(modify.data.tip.endsWith('\0'), endsInNul);
    // Whatever was cut, the field still reads back as whole characters.
    QCOMPARE(toAnsi(fromAnsi(modify.data.tip)), modify.data.tip);
}

void TestAPIStuff::onlyIconPicturesChangeTheIcon() {
    FakeTrayIcon tray;
    RecordingWindow window;
    window.setWindowIcon(solidIcon(Qt::green));
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    const qint64 installed = tray.current().icon.cacheKey();

    QImage bitmap(16, 16, QImage::Format_RGB32);
    bitmap.fill(Qt::red);
    api.SetTrayIcon(PictureObject::fromImage(bitmap));
    api.SetTrayIcon(PictureObject::none());
    api.SetTrayIcon(nullptr);
    QCOMPARE(tray.requests().size(), 1);
    QCOMPARE(tray.current().icon.cacheKey(), installed);

    const Picture icon = PictureObject::fromIcon(solidIcon(Qt::blue));
    api.SetTrayIcon(icon);
    QCOMPARE(tray.requests().size(), 2);
    QCOMPARE(tray.requests().last().action, NotifyAction::Modify);
    QCOMPARE(tray.requests().last().data.flags, quint32(2));
    QCOMPARE(tray.current().icon.cacheKey(), icon->icon().cacheKey());
}

void TestAPIStuff::addingAgainKeepsTipAndHooksOnce() {
    FakeTrayIcon tray;
    RecordingWindow window;
    window.setWindowIcon(solidIcon(Qt::green));
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    api.SetTrayTip(QStringLiteral("网络延迟小！"));
    api.SetTrayIcon(PictureObject::fromIcon(solidIcon(Qt::blue)));

    api.InstallTrayIcon(&window);
    const FakeTrayIcon::Request& add = tray.requests().last();
    QCOMPARE(add.action, NotifyAction::Add);
    QCOMPARE(add.data.flags, quint32(31));
    QCOMPARE(tray.tip(), QStringLiteral("网络延迟小！"));
    QCOMPARE(add.data.icon.cacheKey(), window.windowIcon().cacheKey());

    // A second hook would toggle twice per click and leave the window as it was.
    window.show();
    tray.click(WmLButtonUp);
    QVERIFY(!window.isVisible());
    QCOMPARE(window.received.size(), 1);
}

void TestAPIStuff::removeDeletesAndUnhooks() {
    FakeTrayIcon tray;
    RecordingWindow window;
    ReplacedProcedure previous(&window);
    {
        APIStuff api(tray);
        api.InstallTrayIcon(&window);
        window.show();
        api.RemoveTrayIcon();

        QCOMPARE(tray.requests().last().action, NotifyAction::Delete);
        QCOMPARE(tray.requests().last().data.flags, quint32(0));
        QVERIFY(!tray.isShown());
        QVERIFY(!api.isHooked());

        // The window's messages no longer pass through the tray procedure.
        sendCallback(&window, WmLButtonUp);
        sendCallback(&window, WmRButtonUp);
        QVERIFY(window.isVisible());
        QCOMPARE(previous.seen, (QList<int>{WmLButtonUp, WmRButtonUp}));
        QCOMPARE(window.received, (QList<int>{WmLButtonUp, WmRButtonUp}));
        tray.click(WmLButtonUp);
        QVERIFY(window.isVisible());
    }
    // Nothing was installed when the module went: no second delete.
    QCOMPARE(tray.requests().size(), 2);

    {
        APIStuff api(tray);
        api.InstallTrayIcon(&window);
    }
    QCOMPARE(tray.requests().last().action, NotifyAction::Delete);
    sendCallback(&window, WmRButtonUp);
    QCOMPARE(previous.seen.last(), WmRButtonUp);
}

void TestAPIStuff::withoutNotificationAreaHidingMinimises() {
    FakeTrayIcon tray;
    tray.setAvailable(false);
    RecordingWindow window;
    APIStuff api(tray);
    api.InstallTrayIcon(&window);
    window.show();

    api.HideWindow(&window);
    QVERIFY(window.isVisible());
    QVERIFY(window.windowState() & Qt::WindowMinimized);

    window.showNormal();
    tray.click(WmLButtonUp);
    QVERIFY(window.isVisible());
    QVERIFY(window.isMinimized());

    tray.setAvailable(true);
    window.showNormal();
    api.HideWindow(&window);
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestAPIStuff)
#include "test_apistuff.moc"
