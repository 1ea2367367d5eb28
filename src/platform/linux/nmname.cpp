#include "platform/linux/nmname.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QVariant>

namespace tarvo::platform {

namespace {

const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");

struct Call {
    QDBusConnection& bus;
    std::chrono::steady_clock::time_point deadline;
    bool serviceMissing = false;

    std::optional<QVariant> run(const QDBusMessage& message) {
        using namespace std::chrono;
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        if (left.count() <= 0) {
            serviceMissing = true; // too slow to ask every second
            return std::nullopt;
        }
        const QDBusMessage reply = bus.call(message, QDBus::Block, int(left.count()));
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            const QString error = reply.errorName();
            // An interface NetworkManager does not manage is a plain "no name"; anything
            // else means the service is not there or does not answer in time.
            serviceMissing = !error.startsWith(Service);
            return std::nullopt;
        }
        return reply.arguments().front();
    }

    std::optional<QVariant> property(const QString& path, const QString& interface,
                                     const QString& name) {
        QDBusMessage message =
            QDBusMessage::createMethodCall(Service, path, Properties, QStringLiteral("Get"));
        message << interface << name;
        const auto value = run(message);
        if (!value)
            return std::nullopt;
        return value->value<QDBusVariant>().variant();
    }
};

} // namespace

std::optional<QString> NetworkManagerNames::connectionName(const QString& interfaceName) {
    const auto now = std::chrono::steady_clock::now();
    if (now < m_retryAt || interfaceName.isEmpty())
        return std::nullopt;

    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        m_retryAt = now + RetryAfter;
        return std::nullopt;
    }
    Call call{bus, now + Budget};
    const auto answer = [&]() -> std::optional<QString> {
        QDBusMessage byName = QDBusMessage::createMethodCall(
            Service, QStringLiteral("/org/freedesktop/NetworkManager"), Service,
            QStringLiteral("GetDeviceByIpIface"));
        byName << interfaceName;
        const auto device = call.run(byName);
        const QString devicePath = device ? device->value<QDBusObjectPath>().path() : QString();
        if (devicePath.isEmpty())
            return std::nullopt;
        const auto active = call.property(devicePath, Service + QStringLiteral(".Device"),
                                          QStringLiteral("ActiveConnection"));
        if (!active)
            return std::nullopt;
        const QString activePath = active->value<QDBusObjectPath>().path();
        if (activePath.isEmpty() || activePath == u"/")
            return std::nullopt;
        const auto id = call.property(activePath, Service + QStringLiteral(".Connection.Active"),
                                      QStringLiteral("Id"));
        if (!id || id->toString().isEmpty())
            return std::nullopt;
        return id->toString();
    }();
    if (call.serviceMissing)
        m_retryAt = std::chrono::steady_clock::now() + RetryAfter;
    return answer;
}

} // namespace tarvo::platform
