#include "platform/resolver.h"

// Windows Sockets before anything that includes windows.h.
#include <winsock2.h>

#include "platform/addrinfo.h"
#include "platform/win/waitsignalled.h"

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

// An event, signalled once the answer is there.
class EventWake final : public LookupWake {
public:
    EventWake()
        : m_event(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~EventWake() override {
        if (m_event)
            ::CloseHandle(m_event);
    }
    EventWake(const EventWake&) = delete;
    EventWake& operator=(const EventWake&) = delete;

    bool isValid() const override { return m_event != nullptr; }
    void signal() override { ::SetEvent(m_event); }
    void wait(std::chrono::steady_clock::time_point deadline) override {
        win::waitSignalled(m_event, deadline);
    }

private:
    const HANDLE m_event;
};

} // namespace

std::unique_ptr<IHostResolver> createHostResolver() {
    return createAddrInfoResolver({[] { return std::make_unique<EventWake>(); },
                                   [] { return RetrySchedule; }, socketsStarted});
}

} // namespace tarvo::platform
