#pragma once

#include <QByteArray>

#include <chrono>

namespace tarvo::platform::linux_ {

// How long the system resolver (glibc's) goes on asking before it gives up on a name, as
// configured by resolverConfig (the text of /etc/resolv.conf) and resolverOptions (the
// RES_OPTIONS environment variable, applied after the file): each of its tries asks each
// name server in turn, the first for its time-out, the n-th for time-out × 2^n / servers.
// Without a file glibc waits 5 s for the one name server on this machine, and tries twice.
std::chrono::milliseconds retrySchedule(const QByteArray& resolverConfig,
                                        const QByteArray& resolverOptions = {});

// The same for this system's configuration as it stands now.
std::chrono::milliseconds systemRetrySchedule();

} // namespace tarvo::platform::linux_
