#pragma once

#include <QHash>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QDBusMessage;
class QObject;
class QVariant;

namespace tarvo::platform {

// The names NetworkManager gives the connections active on interfaces, asked on the
// system bus in the background. A caller never waits for the bus: it gets the last name
// NetworkManager gave, and the answer to a new question arrives while the caller's thread
// handles its messages. When the bus or the service is not there, or does not answer in
// time, it is not asked again for a while.
class NetworkManagerNames final {
public:
    NetworkManagerNames();
    ~NetworkManagerNames();
    NetworkManagerNames(const NetworkManagerNames&) = delete;
    NetworkManagerNames& operator=(const NetworkManagerNames&) = delete;

    // The last name NetworkManager gave for the connection on interfaceName, nothing
    // when it has given none; unless a question is still on its way, asks again.
    std::optional<QString> connectionName(const QString& interfaceName);

    static constexpr std::chrono::seconds AnswerTimeout{5};
    static constexpr std::chrono::seconds RetryAfter{60};

private:
    void ask(const QString& interfaceName);
    void askActiveConnection(const QString& interfaceName, const QString& devicePath);
    void askId(const QString& interfaceName, const QString& activePath);
    void call(const QString& interfaceName, const QDBusMessage& message,
              std::function<void(const QVariant&)> onAnswer);
    void property(const QString& interfaceName, const QString& path, const QString& interface,
                  const QString& name, std::function<void(const QVariant&)> onAnswer);
    void finish(const QString& interfaceName, std::optional<QString> name);

    std::unique_ptr<QObject> m_calls; // parent of the questions on their way
    QHash<QString, QString> m_names;  // interface -> connection name
    bool m_asking = false;
    std::chrono::steady_clock::time_point m_retryAt{};
};

} // namespace tarvo::platform
