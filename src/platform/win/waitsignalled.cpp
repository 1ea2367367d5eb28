#include "platform/win/waitsignalled.h"

#include "forms/yield.h"

#include <QCoreApplication>
#include <QWinEventNotifier>

#include <algorithm>

namespace tarvo::platform::win {

namespace {

DWORD millisecondsUntil(std::chrono::steady_clock::time_point deadline) {
    using namespace std::chrono;
    const auto left = duration_cast<milliseconds>(deadline - steady_clock::now()).count();
    // INFINITE is 0xFFFFFFFF: stay below it.
    return DWORD(std::clamp<long long>(left, 0, 0x7FFFFFFF));
}

bool signalled(HANDLE handle, DWORD timeoutMs = 0) {
    return ::WaitForSingleObject(handle, timeoutMs) == WAIT_OBJECT_0;
}

} // namespace

bool waitSignalled(HANDLE handle, std::optional<std::chrono::steady_clock::time_point> deadline) {
    if (signalled(handle))
        return true;
    if (QCoreApplication::instance() == nullptr)
        return signalled(handle, deadline ? millisecondsUntil(*deadline) : INFINITE);
    // The notifier wakes the message loop when the handle is signalled.
    QWinEventNotifier notifier(handle);
    return forms::waitWithMessages([handle] { return signalled(handle); }, deadline);
}

} // namespace tarvo::platform::win
