#include "platform/linux/waitreadable.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTimer>

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

    // The notifier wakes the message loop when fd becomes readable, the timer when the
    // deadline passes.
    QSocketNotifier notifier(fd, QSocketNotifier::Read);
    bool ready = false;
    QObject::connect(&notifier, &QSocketNotifier::activated, [&ready] { ready = true; });
    QTimer timer;
    bool expired = false;
    if (deadline) {
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&expired] { expired = true; });
        timer.start(millisecondsUntil(*deadline));
    }
    while (!ready && !expired && !readable(fd))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return ready || readable(fd);
}

} // namespace tarvo::platform::linux_
