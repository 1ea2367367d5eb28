// A stand-in for NetworkManager on a test bus: answers GetDeviceByIpIface and the
// properties the connection source reads, and logs every call it gets on stdout.
//   fake_nm <bus address> answer|slow|slow:<ms> <interface>=<connection id>...
// "slow" waits 3 s before each answer, "slow:<ms>" that many milliseconds.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QHash>
#include <QThread>

#include <cstdio>

namespace {

const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString DevicePrefix = QStringLiteral("/org/freedesktop/NetworkManager/Devices/");
const QString ActivePrefix = QStringLiteral("/org/freedesktop/NetworkManager/ActiveConnection/");

class FakeNetworkManager final : public QDBusVirtualObject {
public:
    FakeNetworkManager(QStringList interfaces, QStringList ids, unsigned long delayMs)
        : m_interfaces(std::move(interfaces))
        , m_ids(std::move(ids))
        , m_delayMs(delayMs) {}

    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        std::printf("call %s %s\n", qPrintable(message.member()), qPrintable(message.path()));
        std::fflush(stdout);
        if (m_delayMs > 0)
            QThread::msleep(m_delayMs);
        connection.send(answer(message));
        return true;
    }

private:
    QDBusMessage answer(const QDBusMessage& message) const {
        const QVariantList args = message.arguments();
        if (message.member() == u"GetDeviceByIpIface" && args.size() == 1) {
            const qsizetype at = m_interfaces.indexOf(args[0].toString());
            if (at < 0)
                return message.createErrorReply(Service + QStringLiteral(".UnknownDevice"),
                                                QStringLiteral("No such device"));
            return message.createReply(
                QVariant::fromValue(QDBusObjectPath(DevicePrefix + QString::number(at))));
        }
        if (message.member() == u"Get" && args.size() == 2) {
            const QString path = message.path();
            if (path.startsWith(DevicePrefix) && args[1].toString() == u"ActiveConnection")
                return message.createReply(QVariant::fromValue(QDBusVariant(QVariant::fromValue(
                    QDBusObjectPath(ActivePrefix + path.mid(DevicePrefix.size()))))));
            if (path.startsWith(ActivePrefix) && args[1].toString() == u"Id")
                return message.createReply(QVariant::fromValue(
                    QDBusVariant(m_ids.value(path.mid(ActivePrefix.size()).toInt()))));
        }
        return message.createErrorReply(QDBusError::UnknownMethod, QStringLiteral("unknown"));
    }

    QStringList m_interfaces;
    QStringList m_ids;
    unsigned long m_delayMs;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    QStringList interfaces;
    QStringList ids;
    for (const QString& pair : args.mid(3)) {
        interfaces << pair.section(u'=', 0, 0);
        ids << pair.section(u'=', 1);
    }
    QDBusConnection bus = QDBusConnection::connectToBus(args[1], QStringLiteral("fake-nm"));
    const QString mode = args[2];
    const unsigned long delayMs = mode == u"slow"             ? 3000
                                  : mode.startsWith(u"slow:") ? mode.mid(5).toULong()
                                                              : 0;
    FakeNetworkManager manager(interfaces, ids, delayMs);
    if (!bus.isConnected() ||
        !bus.registerVirtualObject(QStringLiteral("/org/freedesktop"), &manager,
                                   QDBusConnection::SubPath) ||
        !bus.registerService(Service))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}
