#include "platform/resolver.h"

#include "platform/addrinfo.h"
#include "platform/linux/resolvconf.h"
#include "platform/linux/waitreadable.h"

#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace tarvo::platform {

namespace {

// An eventfd, readable once the answer is there.
class EventFdWake final : public LookupWake {
public:
    EventFdWake()
        : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~EventFdWake() override {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    EventFdWake(const EventFdWake&) = delete;
    EventFdWake& operator=(const EventFdWake&) = delete;

    bool isValid() const override { return m_fd >= 0; }

    void signal() override {
        const quint64 one = 1;
        [[maybe_unused]] const auto written = ::write(m_fd, &one, sizeof one);
    }

    // A descriptor of its own for each wait: a call nested in another's wait watches the
    // same lookup, and one descriptor takes only one watcher.
    void wait(std::chrono::steady_clock::time_point deadline) override {
        const int fd = ::fcntl(m_fd, F_DUPFD_CLOEXEC, 0);
        if (fd < 0)
            return;
        linux_::waitReadable(fd, deadline);
        ::close(fd);
    }

private:
    const int m_fd;
};

} // namespace

// glibc's retry schedule is read from resolv.conf at each lookup, as glibc reads it.
std::unique_ptr<IHostResolver> createHostResolver() {
    return createAddrInfoResolver({[] { return std::make_unique<EventFdWake>(); },
                                   [] { return linux_::systemRetrySchedule(); }});
}

} // namespace tarvo::platform
