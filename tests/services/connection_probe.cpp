// Asks the platform's connection source and prints the last answer: the result (1 or
// 0), the flag word and the name, one a line. The connection tests run it inside
// network namespaces of their own.
//   connection_probe [times]
//   connection_probe --each-line   one source; asks it again for every line on stdin and
//                                  prints "result flags name" on one line each time
#include "platform/connection.h"
#include "runtime/codepage.h"

#include <QCoreApplication>

#include <array>
#include <cstdio>
#include <cstring>

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
    quint32 flags = 0;
    bool connected = false;
    for (int i = 0; i < times; ++i) {
        name.fill('\0');
        connected = source->query(
            flags, std::span<char>(name.data(), tarvo::platform::ConnectionNameBytes));
    }
    const QString text =
        tarvo::runtime::fromAnsi(QByteArrayView(name.data(), qsizetype(std::strlen(name.data()))));
    std::printf("%d\n%u\n%s\n", connected ? 1 : 0, flags, text.toUtf8().constData());
    return 0;
}
