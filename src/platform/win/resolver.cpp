#include "platform/resolver.h"

// Windows Sockets before anything that includes windows.h.
#include <winsock2.h>

#include <ws2tcpip.h>

#include "platform/lookupsinflight.h"
#include "platform/win/waitsignalled.h"

#include <cstring>
#include <system_error>
#include <thread>

namespace tarvo::platform {

namespace {

// The DNS client's own schedule: it asks again after 1, 1, 2 and 4 s and gives up 4 s
// after the last question.
constexpr std::chrono::milliseconds RetrySchedule{12000};

// The socket library is started once for the whole run; the system stops it at exit.
bool socketsStarted() {
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

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
        , done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Lookup() {
        if (done)
            ::CloseHandle(done);
    }
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;

    bool finished() const { return ::WaitForSingleObject(done, 0) == WAIT_OBJECT_0; }

    const QByteArray host;
    const HANDLE done; // signalled once the answer is there; publishes it to the waiters
    std::optional<IPv4Address> address;
};

class AddrInfoResolver final : public IHostResolver {
public:
    std::optional<IPv4Address> resolveIPv4(const QByteArray& host) override {
        // A NUL inside would silently resolve a different, shorter name.
        if (host.isEmpty() || host.contains('\0') || !socketsStarted())
            return std::nullopt;
        const auto deadline = std::chrono::steady_clock::now() + lookupBound(RetrySchedule);
        const auto lookup = m_inFlight.join(host, [&host] { return start(host); });
        if (!lookup || !win::waitSignalled(lookup->done, deadline))
            return std::nullopt; // no answer in time: as if the name did not resolve
        return lookup->address;
    }

private:
    // The system's call cannot be bounded or cancelled, so it runs on a thread of its own
    // while the window goes on handling its messages.
    static std::shared_ptr<Lookup> start(const QByteArray& host) {
        auto lookup = std::make_shared<Lookup>(host);
        if (!lookup->done)
            return nullptr;
        try {
            std::thread([lookup] {
                lookup->address = lookUp(lookup->host);
                ::SetEvent(lookup->done);
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
