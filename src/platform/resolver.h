#pragma once

#include <QByteArray>

#include <array>
#include <memory>
#include <optional>

namespace tarvo::platform {

using IPv4Address = std::array<quint8, 4>;

// The system's blocking host name resolver.
class IHostResolver {
public:
    virtual ~IHostResolver() = default;
    // The first IPv4 address the system lists for host (ANSI bytes; a dotted address is
    // taken as it is), or nothing when the name does not resolve.
    virtual std::optional<IPv4Address> resolveIPv4(const QByteArray& host) = 0;
};

std::unique_ptr<IHostResolver> createHostResolver();

} // namespace tarvo::platform
