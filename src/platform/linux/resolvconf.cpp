#include "platform/linux/resolvconf.h"

#include <QFile>
#include <QList>

#include <algorithm>
#include <cstdlib>

namespace tarvo::platform::linux_ {

namespace {

// glibc's defaults and limits (resolv.h): RES_TIMEOUT, RES_DFLRETRY, RES_MAXRETRANS,
// RES_MAXRETRY, MAXNS.
constexpr int DefaultTimeout = 5;
constexpr int DefaultAttempts = 2;
constexpr int MaxTimeout = 30;
constexpr int MaxAttempts = 5;
constexpr int MaxServers = 3;

struct Settings {
    int timeout = DefaultTimeout;
    int attempts = DefaultAttempts;
    int servers = 0;
};

// An "options" value such as "timeout:3": the number after the name, within limits.
void applyOptions(const QByteArray& options, Settings& settings) {
    for (const QByteArray& option : options.simplified().split(' ')) {
        const auto number = [&option](int prefix, int limit) {
            return std::clamp(option.mid(prefix).toInt(), 0, limit);
        };
        if (option.startsWith("timeout:"))
            settings.timeout = number(8, MaxTimeout);
        else if (option.startsWith("attempts:"))
            settings.attempts = number(9, MaxAttempts);
    }
}

} // namespace

std::chrono::milliseconds retrySchedule(const QByteArray& resolverConfig,
                                        const QByteArray& resolverOptions) {
    Settings settings;
    for (const QByteArray& raw : resolverConfig.split('\n')) {
        const QByteArray line = raw.simplified();
        if (line.startsWith("nameserver ") && settings.servers < MaxServers)
            ++settings.servers;
        else if (line.startsWith("options "))
            applyOptions(line.mid(8), settings);
    }
    applyOptions(resolverOptions, settings);
    const int servers = std::max(settings.servers, 1); // none listed: the local one
    int perTry = 0;
    for (int server = 0; server < servers; ++server) {
        int seconds = settings.timeout << server;
        if (server > 0)
            seconds /= servers;
        perTry += std::max(seconds, 1);
    }
    // Without any try the lookup fails at once; count one so as never to cut it short.
    return std::chrono::seconds{perTry * std::max(settings.attempts, 1)};
}

std::chrono::milliseconds systemRetrySchedule() {
    QFile file(QStringLiteral("/etc/resolv.conf"));
    const QByteArray config = file.open(QIODevice::ReadOnly) ? file.read(64 * 1024) : QByteArray();
    return retrySchedule(config, qgetenv("RES_OPTIONS"));
}

} // namespace tarvo::platform::linux_
