// Asks the platform's connection source and prints the last answer: the result (1 or
// 0), the flag word and the name, one a line. The connection tests run it inside
// network namespaces of their own.
//   connection_probe [times]
#include "platform/connection.h"
#include "runtime/codepage.h"

#include <QCoreApplication>

#include <array>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int times = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
    auto source = tarvo::platform::createConnectionSource();
    std::array<char, tarvo::platform::ConnectionNameBytes + 1> name{};
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
