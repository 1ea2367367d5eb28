#pragma once

#include "platform/resolver.h"

#include <QByteArrayList>
#include <QHash>

namespace tarvo::platform {

// Resolves the names a test added; every other name fails.
class FakeHostResolver final : public IHostResolver {
public:
    std::optional<IPv4Address> resolveIPv4(const QByteArray& host) override;

    void add(const QByteArray& host, IPv4Address address) { m_addresses.insert(host, address); }
    const QByteArrayList& asked() const { return m_asked; }

private:
    QHash<QByteArray, IPv4Address> m_addresses;
    QByteArrayList m_asked;
};

} // namespace tarvo::platform
