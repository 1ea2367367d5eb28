#include "platform/resolver.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace tarvo::platform {

namespace {

class AddrInfoResolver final : public IHostResolver {
public:
    std::optional<IPv4Address> resolveIPv4(const QByteArray& host) override {
        // A NUL inside would silently resolve a different, shorter name.
        if (host.isEmpty() || host.contains('\0'))
            return std::nullopt;
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM; // one entry per address
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.constData(), nullptr, &hints, &found) != 0 || found == nullptr)
            return std::nullopt;
        std::optional<IPv4Address> address;
        for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in))
                continue;
            sockaddr_in in;
            std::memcpy(&in, entry->ai_addr, sizeof in);
            IPv4Address bytes;
            std::memcpy(bytes.data(), &in.sin_addr.s_addr, bytes.size()); // network order
            address = bytes;
            break;
        }
        ::freeaddrinfo(found);
        return address;
    }
};

} // namespace

std::unique_ptr<IHostResolver> createHostResolver() {
    return std::make_unique<AddrInfoResolver>();
}

} // namespace tarvo::platform
