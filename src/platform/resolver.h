#pragma once

#include <QByteArray>

#include <algorithm>
#include <array>
#include <chrono>
#include <memory>
#include <optional>

namespace tarvo::platform {

using IPv4Address = std::array<quint8, 4>;

// The longest a caller ever waits for a lookup: the latency check that asks runs every
// 20 s, and its ping takes up to 4.5 s after the lookup.
inline constexpr std::chrono::seconds LookupCeiling{15};

// How long a caller waits for the system's answer, given the system resolver's own retry
// schedule (how long it keeps asking its name servers, all its tries together): all of it
// and a second more, so that a lost query answered on the resolver's retry still counts;
// never beyond LookupCeiling.
constexpr std::chrono::milliseconds lookupBound(std::chrono::milliseconds retrySchedule) {
    return std::min<std::chrono::milliseconds>(retrySchedule + std::chrono::seconds{1},
                                               LookupCeiling);
}

// The system's host name resolver.
class IHostResolver {
public:
    virtual ~IHostResolver() = default;
    // The first IPv4 address the system lists for host (ANSI bytes; a dotted address is
    // taken as it is), or nothing when the name does not resolve. Window messages go on
    // running while the system looks the name up, so a name server that does not answer
    // freezes nothing. After lookupBound of the system's retry schedule without an answer
    // the name counts as not resolving. While a lookup of the same name is still running
    // (given up on by an earlier call, or waited for by a call further out), the call
    // waits for that one instead of starting another (see LookupsInFlight).
    virtual std::optional<IPv4Address> resolveIPv4(const QByteArray& host) = 0;
};

std::unique_ptr<IHostResolver> createHostResolver();

} // namespace tarvo::platform
