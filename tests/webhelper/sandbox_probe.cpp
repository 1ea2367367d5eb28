// Enters the page helper's sandbox through the helper's own function, then tries one
// thing the sandbox forbids and says on standard output what happened:
//   sandbox_probe [--unconfined|--abi <n>] [--thread] <attempt> <argument> <origin port>
// "done" when it was done, "refused: <why>" when it failed, nothing when the sandbox
// ended the process. A sandbox that cannot be entered ends it as it ends the helper.
// --abi caps the Landlock version the sandbox sees (0: as if the kernel had none).
// "start" tries nothing: the helper's start-up alone, for the benchmark; "page" shows the
// page at the argument's path on the origin, as the helper would.
#include "sandbox/linux/landlock.h"
#include "sandbox/sandbox.h"
#include "webhelper/navigation.h"
#include "webhelper/pagelimits.h"
#include "webhelper/pagepainter.h"
#include "webhelper/preload.h"

#include <QFile>
#include <QGuiApplication>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/futex.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

using namespace tarvo::webhelper;
using namespace tarvo::sandbox;

namespace {

int report(bool done, const QString& refusal = {}) {
    const QString why = refusal.isEmpty() ? QString::fromLocal8Bit(std::strerror(errno)) : refusal;
    std::puts(done ? "done" : qPrintable(QStringLiteral("refused: ") + why));
    return 0;
}

sockaddr_in loopback(quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

int connectTo(int socket, quint16 port) {
    const sockaddr_in address = loopback(port);
    return ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

bool waitFor(int fd, short events) {
    pollfd wait{fd, events, 0};
    return ::poll(&wait, 1, 5000) == 1;
}

// A connection to the origin as a fetch gets it: from the sandbox, or unconfined as the
// broker once handed them over (connected without being asked to connect once more).
int usedConnection(QGuiApplication& app, const Sandbox& sandbox, quint16 origin) {
    if (!sandbox.sockets) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        connectTo(fd, origin);
        return waitFor(fd, POLLOUT) ? fd : -1;
    }
    QTcpSocket* socket = sandbox.sockets(&app);
    QObject::connect(socket, &QTcpSocket::connected, &app, [&] { app.exit(0); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, &app, [&] { app.exit(1); });
    socket->connectToHost(QStringLiteral("127.0.0.1"), origin);
    return app.exec() == 0 ? int(socket->socketDescriptor()) : -1;
}

// The origin closes each connection after its answer; a byte sent after it has the
// connection reset. A send that opens a connection on the way is then aimed at port.
int reaim(QGuiApplication& app, const Sandbox& sandbox, quint16 origin, quint16 port) {
    const int fd = usedConnection(app, sandbox, origin);
    constexpr char request[] = "GET / HTTP/1.0\r\n\r\n";
    if (fd < 0 || ::write(fd, request, sizeof request - 1) != sizeof request - 1)
        return report(false, QStringLiteral("no connection"));
    char answer[256];
    while (waitFor(fd, POLLIN) && ::read(fd, answer, sizeof answer) > 0) {
    }
    ::send(fd, "x", 1, MSG_NOSIGNAL);
    ::usleep(100 * 1000); // the origin's reset
    const sockaddr_in to = loopback(port);
    for (int i = 0; i < 2; ++i) // the first may only take the closed connection's error
        ::sendto(fd, "x", 1, MSG_FASTOPEN | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    int error = 0;
    socklen_t size = sizeof error;
    sockaddr_in peer{};
    socklen_t peerSize = sizeof peer;
    const bool aimed = waitFor(fd, POLLOUT) &&
                       ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0 &&
                       ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
                       peer.sin_port == htons(port);
    return report(aimed, QStringLiteral("still aimed at the origin"));
}

// count connections to the origin, one after another, as a page's fetches would ask.
int connectMany(QGuiApplication& app, const Sandbox& sandbox, quint16 origin, int count) {
    for (int i = 0; i < count; ++i) {
        QTcpSocket* socket = sandbox.sockets ? sandbox.sockets(&app) : new QTcpSocket(&app);
        QObject::connect(socket, &QTcpSocket::connected, &app, [&] { app.exit(0); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, &app, [&] { app.exit(1); });
        socket->connectToHost(QStringLiteral("127.0.0.1"), origin);
        if (app.exec() != 0)
            return report(false, socket->errorString());
    }
    return report(true);
}

int showPage(QGuiApplication& app, const Sandbox& sandbox, const QUrl& url) {
    tarvo::webprotocol::Request request;
    request.url = url;
    request.pane = {728, 90};
    request.font = app.font();
    Navigation navigation(PageLimits{}, url, sandbox.sockets);
    QObject::connect(&navigation, &Navigation::message, &app, [&](const Message& message) {
        if (message.kind == Message::Kind::Failed)
            app.exit(report(false, message.text));
    });
    QObject::connect(&navigation, &Navigation::ready, &app,
                     [&](const QUrl& at, const QString& html, const QHash<QUrl, QImage>& pictures) {
                         const Message page = paintPage(at, html, pictures, request);
                         app.exit(report(!page.picture.isNull() && !page.text.isEmpty(),
                                         QStringLiteral("nothing drawn")));
                     });
    navigation.start();
    return app.exec();
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool unconfined = arguments.value(0) == QLatin1String("--unconfined");
    if (unconfined)
        arguments.removeFirst();
    if (arguments.value(0) == QLatin1String("--abi")) {
        capLandlockAbiForTests(arguments.value(1).toInt());
        arguments = arguments.mid(2);
    }
    // A thread of its own before the sandbox, which the sandbox could not hold.
    if (arguments.value(0) == QLatin1String("--thread")) {
        arguments.removeFirst();
        std::thread([] { ::pause(); }).detach();
    }
    if (arguments.size() != 3)
        return 2;
    const QString attempt = arguments[0];
    const QByteArray path = QFile::encodeName(arguments[1]);
    const int number = arguments[1].toInt();
    const quint16 origin = quint16(arguments[2].toUInt());
    // Made before the sandbox, as the helper's own would be: a socket to connect alone, a
    // pipe to signal through or widen.
    const int spare = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return 2;

    preload(app.font());
    const QUrl originUrl(QStringLiteral("http://127.0.0.1:%1/").arg(origin));
    Sandbox sandbox;
    if (!unconfined) {
        sandbox = enterSandbox(originUrl, PageLimits{}.connections());
        if (sandbox.exitCode != 0) {
            std::fprintf(stderr, "%s\n", qPrintable(sandbox.why));
            return sandbox.exitCode;
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
    if (attempt == QLatin1String("open"))
        return report(::open(path, O_RDONLY | O_CLOEXEC) >= 0);
    if (attempt == QLatin1String("path"))
        return report(::open(path, O_PATH | O_CLOEXEC) >= 0);
    if (attempt == QLatin1String("stat")) {
        struct stat status {};
        return report(::stat(path, &status) == 0);
    }
    if (attempt == QLatin1String("rawstat")) { // a path, though the flag says there is none
        struct stat status {};
        return report(syscall(SYS_newfstatat, AT_FDCWD, path.constData(), &status, AT_EMPTY_PATH) ==
                      0);
    }
    if (attempt == QLatin1String("run")) {
        ::execl(path.constData(), path.constData(), "done", nullptr); // echo says "done"
        return report(false);
    }
    if (attempt == QLatin1String("fork")) {
        const long child = syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0);
        if (child == 0)
            ::_exit(0);
        return report(child > 0);
    }
    if (attempt == QLatin1String("socket"))
        return report(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0) >= 0);
    if (attempt == QLatin1String("connect"))
        return report(connectTo(spare, quint16(number)) == 0);
    if (attempt == QLatin1String("reaim"))
        return reaim(app, sandbox, origin, quint16(number));
    if (attempt == QLatin1String("tgkill")) // signal 0: whether it may signal at all
        return report(syscall(SYS_tgkill, number, number, 0) == 0);
    if (attempt == QLatin1String("setown")) // the pipe made readable signals its owner
        return report(
            ::fcntl(pipe[0], F_SETOWN, number) == 0 && ::fcntl(pipe[0], F_SETSIG, SIGWINCH) == 0 &&
            ::fcntl(pipe[0], F_SETFL, O_ASYNC | O_NONBLOCK) == 0 && ::write(pipe[1], "x", 1) == 1);
    if (attempt == QLatin1String("lockpi")) { // a lock that lends its priority
        static int word = 0;
        return report(syscall(SYS_futex, &word, FUTEX_LOCK_PI_PRIVATE, 0, nullptr) == 0);
    }
    if (attempt == QLatin1String("merge")) { // pages shared with other processes' alike
        void* page =
            ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return report(::madvise(page, 4096, MADV_MERGEABLE) == 0);
    }
    if (attempt == QLatin1String("ttl")) { // an option the fetch never sets
        const int hops = 1;
        return report(::setsockopt(spare, IPPROTO_IP, IP_TTL, &hops, sizeof hops) == 0);
    }
    if (attempt == QLatin1String("affinity")) {
        cpu_set_t cpus;
        return report(::sched_getaffinity(number, sizeof cpus, &cpus) == 0);
    }
    if (attempt == QLatin1String("widen"))
        return report(::fcntl(pipe[1], F_SETPIPE_SZ, 1 << 20) >= 0);
    if (attempt == QLatin1String("ask")) {
        // What the fetch does: a socket the sandbox connects for it, here to another port.
        QTcpSocket* socket = sandbox.sockets ? sandbox.sockets(&app) : new QTcpSocket(&app);
        QObject::connect(socket, &QTcpSocket::connected, &app, [&] { app.exit(report(true)); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, &app,
                         [&] { app.exit(report(false, socket->errorString())); });
        socket->connectToHost(QStringLiteral("127.0.0.1"), quint16(number));
        return app.exec();
    }
    if (attempt == QLatin1String("many"))
        return connectMany(app, sandbox, origin, number);
    if (attempt == QLatin1String("page"))
        return showPage(app, sandbox, originUrl.resolved(QUrl(arguments[1])));
    return 2;
}
