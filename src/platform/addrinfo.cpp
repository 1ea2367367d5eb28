#include "platform/addrinfo.h"

#include "platform/lookupsinflight.h"

// This system's getaddrinfo (the backend's folder: linux/ or win/).
#include "systemsockets.h"

#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>

namespace tarvo::platform {

namespace {

// The system resolver's blocking call; thread-safe.
std::optional<IPv4Address> lookUp(const QByteArray& host) {
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

// One lookup, shared by its callers and the thread that runs it: callers that give up
// leave it to the thread, which finishes on its own and frees it.
struct Lookup {
    Lookup(QByteArray name, std::unique_ptr<LookupWake> wakeUp)
        : host(std::move(name))
        , wake(std::move(wakeUp)) {}

    bool finished() const { return done.load(std::memory_order_acquire); }

    const QByteArray host;
    const std::unique_ptr<LookupWake> wake;
    std::optional<IPv4Address> address;
    std::atomic<bool> done{false};
};

class AddrInfoResolver final : public IHostResolver {
public:
    explicit AddrInfoResolver(AddrInfoBackend backend)
        : m_backend(std::move(backend)) {}

    std::optional<IPv4Address> resolveIPv4(const QByteArray& host) override {
        // A NUL inside would silently resolve a different, shorter name.
        if (host.isEmpty() || host.contains('\0') || !m_backend.ready())
            return std::nullopt;
        const auto deadline =
            std::chrono::steady_clock::now() + lookupBound(m_backend.retrySchedule());
        const auto lookup = m_inFlight.join(host, [&] { return start(host); });
        if (!lookup)
            return std::nullopt;
        lookup->wake->wait(deadline);
        if (!lookup->finished())
            return std::nullopt; // no answer in time: as if the name did not resolve
        return lookup->address;
    }

private:
    // The system's call cannot be bounded or cancelled, so it runs on a thread of its own
    // while the window goes on handling its messages.
    std::shared_ptr<Lookup> start(const QByteArray& host) {
        auto wake = m_backend.makeWake();
        if (!wake || !wake->isValid())
            return nullptr;
        auto lookup = std::make_shared<Lookup>(host, std::move(wake));
        try {
            std::thread([lookup] {
                lookup->address = lookUp(lookup->host);
                lookup->done.store(true, std::memory_order_release);
                lookup->wake->signal();
            }).detach();
        } catch (const std::system_error&) {
            return nullptr;
        }
        return lookup;
    }

    const AddrInfoBackend m_backend;
    LookupsInFlight<Lookup> m_inFlight;
};

} // namespace

std::unique_ptr<IHostResolver> createAddrInfoResolver(AddrInfoBackend backend) {
    return std::make_unique<AddrInfoResolver>(std::move(backend));
}

} // namespace tarvo::platform
