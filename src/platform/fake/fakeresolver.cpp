#include "platform/fake/fakeresolver.h"

namespace tarvo::platform {

std::optional<IPv4Address> FakeHostResolver::resolveIPv4(const QByteArray& host) {
    m_asked << host;
    const auto found = m_addresses.constFind(host);
    if (found == m_addresses.constEnd())
        return std::nullopt;
    return *found;
}

} // namespace tarvo::platform
