#pragma once

#include <QString>

#include <chrono>
#include <optional>

namespace tarvo::platform {

// Asks NetworkManager on the system bus for the name of the connection active on an
// interface. Each answer is bounded by a short time-out; when the bus or the service is
// not there, it is not asked again for a while.
class NetworkManagerNames final {
public:
    std::optional<QString> connectionName(const QString& interfaceName);

    static constexpr std::chrono::milliseconds Budget{100};
    static constexpr std::chrono::seconds RetryAfter{60};

private:
    std::chrono::steady_clock::time_point m_retryAt{};
};

} // namespace tarvo::platform
