// Resolves one host name through the platform's resolver on the GUI thread, one or more
// times in a row, while a 10 ms timer ticks. Prints, for each lookup on a line of its
// own, the result, the milliseconds the call took and the ticks that ran during it,
// separated by blanks. The resolver tests run it inside network namespaces of their own.
//   resolve_probe <host> [lookups]
#include "platform/resolver.h"
#include "services/web.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const int lookups = argc > 2 ? std::atoi(argv[2]) : 1;
    auto resolver = tarvo::platform::createHostResolver();
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    for (int i = 0; i < lookups; ++i) {
        ticks = 0;
        QElapsedTimer clock;
        clock.start();
        const QString address =
            tarvo::ResolveHostAddress(*resolver, QString::fromLocal8Bit(argv[1]));
        const qint64 elapsed = clock.elapsed();
        std::printf("%s %lld %d\n", address.isEmpty() ? "-" : address.toUtf8().constData(),
                    static_cast<long long>(elapsed), ticks);
    }
    return 0;
}
