#pragma once

#include <QByteArray>

#include <array>
#include <chrono>
#include <memory>
#include <optional>

namespace tarvo::platform {

using IPv4Address = std::array<quint8, 4>;

// How long a caller waits for the system's answer at most.
inline constexpr std::chrono::seconds LookupBound{5};

// The system's host name resolver.
class IHostResolver {
public:
    virtual ~IHostResolver() = default;
    // The first IPv4 address the system lists for host (ANSI bytes; a dotted address is
    // taken as it is), or nothing when the name does not resolve. Window messages go on
    // running while the system looks the name up, so a name server that does not answer
    // freezes nothing; after LookupBound without an answer the name counts as not
    // resolving.
    virtual std::optional<IPv4Address> resolveIPv4(const QByteArray& host) = 0;
};

std::unique_ptr<IHostResolver> createHostResolver();

} // namespace tarvo::platform
