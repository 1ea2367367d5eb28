#include "platform/tray.h"
#include "runtime/codepage.h"
#include "support/recordingwindow.h"

#include <QSystemTrayIcon>
#include <QtTest>

using namespace tarvo;
using Reasons = QList<QSystemTrayIcon::ActivationReason>;
Q_DECLARE_METATYPE(Reasons)

// The notification-area backend: what a click on its icon becomes at the window.
class TestTray final : public QObject {
    Q_OBJECT

private slots:
    void clicksReachTheWindow_data();
    void clicksReachTheWindow();
    void tipAndIconGoToTheIcon();
    void iconGoesWithItsWindow();

private:
    static platform::NotifyIconData record(QWidget* window) {
        platform::NotifyIconData data;
        data.window = window;
        data.id = 1;
        data.flags = 31;
        data.callbackMessage = 2025;
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        data.icon = QIcon(QPixmap::fromImage(image));
        return data;
    }
};

void TestTray::clicksReachTheWindow_data() {
    QTest::addColumn<Reasons>("reasons"); // what the desktop reports, in order
    QTest::addColumn<QList<int>>("messages");
    QTest::newRow("left click: button released")
        << Reasons{QSystemTrayIcon::Trigger} << QList<int>{514};
    // A double click is two left clicks, and each releases the button.
    QTest::newRow("double click: released twice")
        << Reasons{QSystemTrayIcon::Trigger, QSystemTrayIcon::DoubleClick} << QList<int>{514, 514};
    QTest::newRow("right click: right button released")
        << Reasons{QSystemTrayIcon::Context} << QList<int>{517};
    QTest::newRow("middle click: nothing") << Reasons{QSystemTrayIcon::MiddleClick} << QList<int>{};
    QTest::newRow("unknown: nothing") << Reasons{QSystemTrayIcon::Unknown} << QList<int>{};
}

void TestTray::clicksReachTheWindow() {
    QFETCH(Reasons, reasons);
    QFETCH(QList<int>, messages);

    testing::RecordingWindow window;
    auto tray = platform::createTrayIcon();
    QVERIFY(tray->notify(platform::NotifyAction::Add, record(&window)));
    auto* icon = window.findChild<QSystemTrayIcon*>();
    QVERIFY(icon);
    for (const auto reason : reasons)
        emit icon->activated(reason);
    QCOMPARE(window.received, messages);

    // Once the icon is deleted nothing reaches the window any more.
    QVERIFY(tray->notify(platform::NotifyAction::Delete, record(&window)));
    QVERIFY(!window.findChild<QSystemTrayIcon*>());
    QVERIFY(!tray->notify(platform::NotifyAction::Modify, record(&window)));
}

void TestTray::tipAndIconGoToTheIcon() {
    QWidget window;
    auto tray = platform::createTrayIcon();
    platform::NotifyIconData data = record(&window);
    data.tip = runtime::toAnsi(u"欢迎使用Tarvo") + QByteArray("\0   ", 4);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    data.icon = QIcon(QPixmap::fromImage(image));
    QVERIFY(tray->notify(platform::NotifyAction::Add, data));
    auto* icon = window.findChild<QSystemTrayIcon*>();
    QVERIFY(icon);
    QCOMPARE(icon->toolTip(), QStringLiteral("欢迎使用Tarvo"));
    QVERIFY(!icon->icon().isNull());
    QVERIFY(icon->isVisible());
    // A second add while the icon is there is refused.
    QVERIFY(!tray->notify(platform::NotifyAction::Add, data));

    // A change of the tip alone leaves the picture.
    data.flags = 4;
    data.tip = runtime::toAnsi(u"网络延迟小！");
    data.icon = QIcon();
    QVERIFY(tray->notify(platform::NotifyAction::Modify, data));
    QCOMPARE(icon->toolTip(), QStringLiteral("网络延迟小！"));
    QVERIFY(!icon->icon().isNull());
}

void TestTray::iconGoesWithItsWindow() {
    auto tray = platform::createTrayIcon();
    auto window = std::make_unique<QWidget>();
    QVERIFY(tray->notify(platform::NotifyAction::Add, record(window.get())));
    window.reset();
    // Nothing is left to change, and a new window can have an icon again.
    QVERIFY(!tray->notify(platform::NotifyAction::Modify, record(nullptr)));
    QWidget other;
    QVERIFY(tray->notify(platform::NotifyAction::Add, record(&other)));
    QVERIFY(other.findChild<QSystemTrayIcon*>());
}

QTEST_MAIN(TestTray)
#include "test_tray.moc"
