#pragma once

#include "platform/resolver.h"

#include <chrono>
#include <functional>
#include <memory>

namespace tarvo::platform {

// How a backend tells the window's thread that a lookup running on a thread of its own
// has its answer.
class LookupWake {
public:
    virtual ~LookupWake() = default;
    // Whether the wake-up could be made at all.
    virtual bool isValid() const = 0;
    // On the lookup's thread, once the answer is there.
    virtual void signal() = 0;
    // On the window's thread: lets window messages run until signalled or the deadline has
    // passed. Calls nested in another's wait wait on the same wake-up.
    virtual void wait(std::chrono::steady_clock::time_point deadline) = 0;
};

// What a backend gives the resolver: its wake-up, the system resolver's retry schedule
// as it stands at each lookup, and whether the system's resolver can be used at all.
struct AddrInfoBackend {
    std::function<std::unique_ptr<LookupWake>()> makeWake;
    std::function<std::chrono::milliseconds()> retrySchedule;
    std::function<bool()> ready = [] { return true; };
};

// The system's getaddrinfo for IPv4, each lookup on a thread of its own, the caller
// waiting through the backend's wake-up (see IHostResolver).
std::unique_ptr<IHostResolver> createAddrInfoResolver(AddrInfoBackend backend);

} // namespace tarvo::platform
