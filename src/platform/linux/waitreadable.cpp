#include "platform/linux/waitreadable.h"

#include "forms/yield.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <climits>

#include <cerrno>
#include <poll.h>

namespace tarvo::platform::linux_ {

namespace {

bool readable(int fd, int timeoutMs = 0) {
    pollfd request{fd, POLLIN, 0};
    int r;
    do {
        r = ::poll(&request, 1, timeoutMs);
    } while (r < 0 && errno == EINTR);
    return r > 0;
}

int millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    return int(std::clamp<long long>(left, 0, INT_MAX));
}

} // namespace

bool waitReadable(int fd, std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (readable(fd))
        return true;
    if (QCoreApplication::instance() == nullptr)
        return readable(fd, deadline ? millisecondsUntil(*deadline) : -1);
    // The notifier wakes the message loop when fd becomes readable.
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    return forms::waitWithMessages([fd] { return readable(fd); }, deadline);
}

} // namespace tarvo::platform::linux_
