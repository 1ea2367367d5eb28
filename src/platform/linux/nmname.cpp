#include "platform/linux/nmname.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QObject>
#include <QVariant>

namespace tarvo::platform {

namespace {

const QString Service = QStringLiteral("org.freedesktop.NetworkManager");
const QString Properties = QStringLiteral("org.freedesktop.DBus.Properties");

QString objectPath(const QVariant& value) {
    return value.value<QDBusObjectPath>().path();
}

} // namespace

NetworkManagerNames::NetworkManagerNames()
    : m_calls(std::make_unique<QObject>()) {}

// Questions still on their way go with m_calls; their answers are not waited for.
NetworkManagerNames::~NetworkManagerNames() = default;

std::optional<QString> NetworkManagerNames::connectionName(const QString& interfaceName) {
    if (interfaceName.isEmpty())
        return std::nullopt;
    if (!m_asking && std::chrono::steady_clock::now() >= m_retryAt)
        ask(interfaceName);
    const auto found = m_names.constFind(interfaceName);
    if (found == m_names.cend())
        return std::nullopt;
    return *found;
}

void NetworkManagerNames::ask(const QString& interfaceName) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        m_retryAt = std::chrono::steady_clock::now() + RetryAfter;
        m_names.clear();
        return;
    }
    m_asking = true;
    QDBusMessage byName =
        QDBusMessage::createMethodCall(Service, QStringLiteral("/org/freedesktop/NetworkManager"),
                                       Service, QStringLiteral("GetDeviceByIpIface"));
    byName << interfaceName;
    // The device, then its active connection, then that connection's name.
    call(interfaceName, byName, [this, interfaceName](const QVariant& device) {
        askActiveConnection(interfaceName, objectPath(device));
    });
}

void NetworkManagerNames::askActiveConnection(const QString& interfaceName,
                                              const QString& devicePath) {
    if (devicePath.isEmpty())
        return finish(interfaceName, std::nullopt);
    property(interfaceName, devicePath, Service + QStringLiteral(".Device"),
             QStringLiteral("ActiveConnection"), [this, interfaceName](const QVariant& active) {
                 askId(interfaceName, objectPath(active));
             });
}

void NetworkManagerNames::askId(const QString& interfaceName, const QString& activePath) {
    if (activePath.isEmpty() || activePath == u"/")
        return finish(interfaceName, std::nullopt);
    property(interfaceName, activePath, Service + QStringLiteral(".Connection.Active"),
             QStringLiteral("Id"), [this, interfaceName](const QVariant& id) {
                 const QString name = id.toString();
                 finish(interfaceName, name.isEmpty() ? std::nullopt : std::optional(name));
             });
}

void NetworkManagerNames::call(const QString& interfaceName, const QDBusMessage& message,
                               std::function<void(const QVariant&)> onAnswer) {
    const int timeoutMs = int(std::chrono::milliseconds(AnswerTimeout).count());
    auto* watcher = new QDBusPendingCallWatcher(
        QDBusConnection::systemBus().asyncCall(message, timeoutMs), m_calls.get());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, m_calls.get(),
                     [this, watcher, interfaceName, onAnswer = std::move(onAnswer)] {
                         watcher->deleteLater();
                         const QDBusMessage reply = watcher->reply();
                         if (reply.type() != QDBusMessage::ReplyMessage ||
                             reply.arguments().isEmpty()) {
                             // An interface NetworkManager does not manage is a plain "no name";
                             // anything else means the service is not there or does not answer in
                             // time.
                             if (!reply.errorName().startsWith(Service))
                                 m_retryAt = std::chrono::steady_clock::now() + RetryAfter;
                             return finish(interfaceName, std::nullopt);
                         }
                         onAnswer(reply.arguments().front());
                     });
}

void NetworkManagerNames::property(const QString& interfaceName, const QString& path,
                                   const QString& interface, const QString& name,
                                   std::function<void(const QVariant&)> onAnswer) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(Service, path, Properties, QStringLiteral("Get"));
    message << interface << name;
    call(interfaceName, message, [onAnswer = std::move(onAnswer)](const QVariant& value) {
        onAnswer(value.value<QDBusVariant>().variant());
    });
}

void NetworkManagerNames::finish(const QString& interfaceName, std::optional<QString> name) {
    m_asking = false;
    if (name)
        m_names.insert(interfaceName, *name);
    else
        m_names.remove(interfaceName);
}

} // namespace tarvo::platform
