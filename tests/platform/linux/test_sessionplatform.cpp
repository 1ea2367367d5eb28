// Which window system the program starts on, from the session's environment.
#include "platform/linux/sessionplatform.h"

#include <QtTest>

using namespace tarvo::platform;

class TestSessionPlatform final : public QObject {
    Q_OBJECT
private slots:
    void choosesXWaylandOnWaylandSessions_data() {
        QTest::addColumn<QByteArray>("waylandDisplay");
        QTest::addColumn<QByteArray>("sessionType");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("userChoice");
        QTest::addColumn<QByteArray>("platform");
        QTest::newRow("Wayland compositor with XWayland")
            << QByteArray("wayland-0") << QByteArray() << QByteArray(":1") << QByteArray()
            << QByteArray("xcb");
        QTest::newRow("session marked Wayland with XWayland")
            << QByteArray() << QByteArray("wayland") << QByteArray(":1") << QByteArray()
            << QByteArray("xcb");
        QTest::newRow("Wayland without any X server")
            << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray() << QByteArray()
            << QByteArray();
        QTest::newRow("X11 session") << QByteArray() << QByteArray("x11") << QByteArray(":0")
                                     << QByteArray() << QByteArray();
        QTest::newRow("user asked for Wayland")
            << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":1")
            << QByteArray("wayland") << QByteArray();
    }
    void choosesXWaylandOnWaylandSessions() {
        QFETCH(QByteArray, waylandDisplay);
        QFETCH(QByteArray, sessionType);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, userChoice);
        QFETCH(QByteArray, platform);
        QCOMPARE(platformForSession({waylandDisplay, sessionType, display, userChoice}), platform);
    }
};

QTEST_MAIN(TestSessionPlatform)
#include "test_sessionplatform.moc"
