// Runs the latency probe against a host name a number of times in a row, on the GUI
// thread, and prints each average echo time in ms on a line of its own. The probe tests
// run it inside network namespaces of their own.
//   check_probe <host> <checks>
#include "main/speed.h"
#include "platform/process.h"
#include "platform/resolver.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    auto resolver = tarvo::platform::createHostResolver();
    auto launcher = tarvo::platform::createProcessLauncher();
    QPlainTextEdit text1;
    for (int check = std::atoi(argv[2]); check > 0; --check) {
        const qint16 average =
            tarvo::PingLatency(QString::fromLocal8Bit(argv[1]), &text1, *resolver, *launcher);
        std::printf("%d\n", average);
        std::fflush(stdout);
    }
    return 0;
}
