// Asks the platform's connection source and prints the last answer: the result (1 or
// 0), the flag word and the name, one a line; then the names of all answers joined by
// "|", and the milliseconds the slowest query took. After each query it handles its
// messages for pause milliseconds, as the window does between two sampling ticks. The
// connection tests run it inside network namespaces of their own.
//   connection_probe [times [pause]]
//   connection_probe --each-line   one source; asks it again for every line on stdin and
//                                  prints "result flags name" on one line each time
#include "platform/connection.h"
#include "runtime/codepage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

QString nameText(const char* name) {
    return tarvo::runtime::fromAnsi(QByteArrayView(name, qsizetype(std::strlen(name))));
}

void handleMessagesFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    auto source = tarvo::platform::createConnectionSource();
    std::array<char, tarvo::platform::ConnectionNameBytes + 1> name{};
    if (argc > 1 && std::strcmp(argv[1], "--each-line") == 0) {
        std::array<char, 256> line;
        while (std::fgets(line.data(), int(line.size()), stdin)) {
            name.fill('\0');
            quint32 flags = 0;
            const bool connected = source->query(
                flags, std::span<char>(name.data(), tarvo::platform::ConnectionNameBytes));
            std::printf("%d %u %s\n", connected ? 1 : 0, flags, name.data());
            std::fflush(stdout);
        }
        return 0;
    }
    const int times = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    const int pause = argc > 2 ? std::max(0, std::atoi(argv[2])) : 0;
    quint32 flags = 0;
    bool connected = false;
    QStringList names;
    qint64 slowest = 0;
    for (int i = 0; i < times; ++i) {
        name.fill('\0');
        QElapsedTimer clock;
        clock.start();
        connected = source->query(
            flags, std::span<char>(name.data(), tarvo::platform::ConnectionNameBytes));
        slowest = std::max(slowest, clock.elapsed());
        names << nameText(name.data());
        if (pause > 0)
            handleMessagesFor(pause);
    }
    std::printf("%d\n%u\n%s\n%s\n%lld\n", connected ? 1 : 0, flags,
                nameText(name.data()).toUtf8().constData(), names.join(u'|').toUtf8().constData(),
                static_cast<long long>(slowest));
    return 0;
}
