#include "platform/resolver.h"

#include "platform/linux/resolvconf.h"
#include "platform/linux/waitreadable.h"
#include "platform/lookupsinflight.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

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
    explicit Lookup(QByteArray name)
        : host(std::move(name))
        , wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~Lookup() {
        if (wake >= 0)
            ::close(wake);
    }
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;

    bool finished() const { return done.load(std::memory_order_acquire); }

    const QByteArray host;
    const int wake; // readable once the answer is there
    std::optional<IPv4Address> address;
    std::atomic<bool> done{false};
};

class AddrInfoResolver final : public IHostResolver {
public:
    std::optional<IPv4Address> resolveIPv4(const QByteArray& host) override {
        // A NUL inside would silently resolve a different, shorter name.
        if (host.isEmpty() || host.contains('\0'))
            return std::nullopt;
        const auto deadline =
            std::chrono::steady_clock::now() + lookupBound(linux_::systemRetrySchedule());
        const auto lookup = m_inFlight.join(host, [&host] { return start(host); });
        if (!lookup)
            return std::nullopt;
        // A wait of its own on the answer: a call nested in another's wait watches the same
        // lookup, and one descriptor takes only one watcher.
        const int wake = ::fcntl(lookup->wake, F_DUPFD_CLOEXEC, 0);
        if (wake < 0)
            return std::nullopt;
        linux_::waitReadable(wake, deadline);
        ::close(wake);
        if (!lookup->finished())
            return std::nullopt; // no answer in time: as if the name did not resolve
        return lookup->address;
    }

private:
    // The system's call cannot be bounded or cancelled, so it runs on a thread of its own
    // while the window goes on handling its messages.
    static std::shared_ptr<Lookup> start(const QByteArray& host) {
        auto lookup = std::make_shared<Lookup>(host);
        if (lookup->wake < 0)
            return nullptr;
        try {
            std::thread([lookup] {
                lookup->address = lookUp(lookup->host);
                lookup->done.store(true, std::memory_order_release);
                const quint64 one = 1;
                [[maybe_unused]] const auto written = ::write(lookup->wake, &one, sizeof one);
            }).detach();
        } catch (const std::system_error&) {
            return nullptr;
        }
        return lookup;
    }

    LookupsInFlight<Lookup> m_inFlight;
};

} // namespace

std::unique_ptr<IHostResolver> createHostResolver() {
    return std::make_unique<AddrInfoResolver>();
}

} // namespace tarvo::platform
