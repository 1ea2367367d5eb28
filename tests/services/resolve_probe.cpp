// Resolves one host name through the platform's resolver on the GUI thread while a 10 ms
// timer ticks, and prints the result, the milliseconds the call took and the ticks that
// ran during it, one a line. The resolver tests run it inside network namespaces of
// their own.
//   resolve_probe <host>
#include "platform/resolver.h"
#include "services/web.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    auto resolver = tarvo::platform::createHostResolver();
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    QElapsedTimer clock;
    clock.start();
    const QString address = tarvo::ResolveHostAddress(*resolver, QString::fromLocal8Bit(argv[1]));
    const qint64 elapsed = clock.elapsed();
    std::printf("%s\n%lld\n%d\n", address.toUtf8().constData(), static_cast<long long>(elapsed),
                ticks);
    return 0;
}
