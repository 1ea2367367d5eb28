// Enters the page helper's sandbox through the helper's own function, then tries one
// thing the sandbox forbids and says on standard output what happened:
//   sandbox_probe [--unconfined|--thread] <write|read|run|socket|connect|ask|start>
//                 <path or port> <origin port>
// "done" when it was done, "refused: <why>" when it failed, nothing when the sandbox
// ended the process. A sandbox that cannot be entered ends it as it ends the helper.
// "start" tries nothing: the helper's start-up alone, for the benchmark.
#include "webhelper/preload.h"
#include "webhelper/sandbox.h"
#include "webprotocol/exitcodes.h"

#include <QFile>
#include <QGuiApplication>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

int report(bool done, const QString& refusal = {}) {
    const QString why = refusal.isEmpty() ? QString::fromLocal8Bit(std::strerror(errno)) : refusal;
    std::puts(done ? "done" : qPrintable(QStringLiteral("refused: ") + why));
    return 0;
}

int connectTo(int socket, quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool unconfined = arguments.value(0) == QLatin1String("--unconfined");
    if (unconfined)
        arguments.removeFirst();
    // A thread of its own before the sandbox, which the sandbox could not hold.
    if (arguments.value(0) == QLatin1String("--thread")) {
        arguments.removeFirst();
        std::thread([] { ::pause(); }).detach();
    }
    if (arguments.size() != 3)
        return 2;
    const QString attempt = arguments[0];
    const QByteArray path = QFile::encodeName(arguments[1]);
    const quint16 port = quint16(arguments[1].toUInt());
    // Made before the sandbox, as a socket of the helper's own would be: connect alone.
    const int spare = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);

    tarvo::webhelper::preload(app.font());
    if (!unconfined) {
        if (const QString why = tarvo::webhelper::enterSandbox(
                QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(arguments[2])));
            !why.isEmpty()) {
            std::fprintf(stderr, "%s\n", qPrintable(why));
            return tarvo::webprotocol::NoSandboxExit;
        }
    }

    if (attempt == QLatin1String("start"))
        return report(true);
    if (attempt == QLatin1String("write"))
        return report(::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600) >= 0);
    if (attempt == QLatin1String("read")) {
        char byte;
        const int file = ::open(path, O_RDONLY | O_CLOEXEC);
        return report(file >= 0 && ::read(file, &byte, 1) == 1);
    }
    if (attempt == QLatin1String("run")) {
        ::execl(path.constData(), path.constData(), "done", nullptr); // echo says "done"
        return report(false);
    }
    if (attempt == QLatin1String("socket"))
        return report(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0);
    if (attempt == QLatin1String("connect"))
        return report(connectTo(spare, port) == 0);
    if (attempt == QLatin1String("ask")) {
        // What the fetch does: a socket the sandbox connects for it, here to another port.
        QTcpSocket* socket = tarvo::webhelper::newSocket(&app);
        QObject::connect(socket, &QTcpSocket::connected, &app, [&] { app.exit(report(true)); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, &app,
                         [&] { app.exit(report(false, socket->errorString())); });
        socket->connectToHost(QStringLiteral("127.0.0.1"), port);
        return app.exec();
    }
    return 2;
}
