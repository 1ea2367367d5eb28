#include "webhelper/broker_linux.h"

#include "webhelper/syscallfilter_linux.h"

#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <deque>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::webhelper {
namespace {

// The broker's reply: 0 with the connection attached, or why there is none (an errno
// value, or NoHost).
struct Reply {
    int error;
};
constexpr int NoHost = -1;

void sendReply(int channel, Reply reply, int connection) {
    iovec part{&reply, sizeof reply};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))]{};
    if (connection >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &connection, sizeof connection);
    }
    ::sendmsg(channel, &message, MSG_NOSIGNAL);
}

// The broker, in a child forked from a process that may have threads: system calls and
// the C library's lookup, nothing of Qt.
[[noreturn]] void serve(int channel, const char* host, const char* port, pid_t helper) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != helper)
        ::_exit(0); // the helper ended before the line above
    // It holds nothing of the helper's but its end of the channel.
    if (channel > 0)
        ::close_range(0, unsigned(channel) - 1, 0);
    ::close_range(unsigned(channel) + 1, ~0U, 0);

    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    const bool found = ::getaddrinfo(host, port, &hints, &addresses) == 0;
    if (!loadBrokerFilter())
        ::_exit(1);
    for (;;) {
        char request;
        const ssize_t got = ::recv(channel, &request, 1, 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            ::_exit(0);
        Reply reply{found ? ECONNREFUSED : NoHost};
        int connection = -1;
        for (const addrinfo* address = found ? addresses : nullptr; address;
             address = address->ai_next) {
            connection = ::socket(address->ai_family, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
            if (connection >= 0 &&
                ::connect(connection, address->ai_addr, address->ai_addrlen) == 0) {
                reply.error = 0;
                break;
            }
            reply.error = errno;
            if (connection >= 0)
                ::close(connection);
            connection = -1;
        }
        sendReply(channel, reply, connection);
        if (connection >= 0)
            ::close(connection);
    }
}

class BrokeredSocket;

// The helper's end of the channel. The broker answers in the order it was asked.
class Channel final : public QObject {
public:
    Channel(int fd, const QUrl& origin)
        : m_fd(fd)
        , m_origin(origin)
        , m_notifier(fd, QSocketNotifier::Read) {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Channel::onReply);
    }

    const QUrl& origin() const { return m_origin; }
    void ask(BrokeredSocket* socket);

private:
    void onReply();
    void endAll();

    int m_fd;
    QUrl m_origin;
    QSocketNotifier m_notifier;
    std::deque<QPointer<BrokeredSocket>> m_waiting;
    bool m_ended = false;
};

Channel* g_channel = nullptr;

QString brokerEnded() {
    return QStringLiteral("the connection broker ended");
}

class BrokeredSocket final : public QTcpSocket {
public:
    using QTcpSocket::connectToHost;

    explicit BrokeredSocket(QObject* parent)
        : QTcpSocket(parent) {}

    void connectToHost(const QString& host, quint16 port, OpenMode mode,
                       NetworkLayerProtocol) override {
        if (state() != UnconnectedState)
            return;
        m_mode = mode;
        setSocketState(ConnectingState);
        emit stateChanged(ConnectingState);
        const QUrl& origin = g_channel->origin();
        if (host.compare(origin.host(), Qt::CaseInsensitive) != 0 || port != origin.port(80)) {
            failLater(HostNotFoundError, QStringLiteral("another host"));
            return;
        }
        g_channel->ask(this);
    }

    // The broker's answer: a connection, or why there is none.
    void take(int connection, int error) {
        if (connection >= 0 && setSocketDescriptor(connection, ConnectedState, m_mode)) {
            emit connected();
            return;
        }
        if (connection >= 0)
            ::close(connection);
        if (error == NoHost)
            fail(HostNotFoundError, QStringLiteral("Host not found"));
        else if (error == ECONNREFUSED)
            fail(ConnectionRefusedError, QString::fromLocal8Bit(std::strerror(error)));
        else if (error == 0)
            fail(UnknownSocketError, brokerEnded());
        else
            fail(NetworkError, QString::fromLocal8Bit(std::strerror(error)));
    }

    // Failures are told from the event loop, as the socket layer's own are.
    void failLater(SocketError error, const QString& text) {
        QMetaObject::invokeMethod(
            this, [this, error, text] { fail(error, text); }, Qt::QueuedConnection);
    }

private:
    void fail(SocketError error, const QString& text) {
        setSocketState(UnconnectedState);
        setSocketError(error);
        setErrorString(text);
        emit stateChanged(UnconnectedState);
        emit errorOccurred(error);
    }

    OpenMode m_mode = ReadWrite;
};

void Channel::ask(BrokeredSocket* socket) {
    const char request = 'c';
    if (m_ended || ::send(m_fd, &request, 1, MSG_NOSIGNAL) != 1) {
        socket->failLater(QAbstractSocket::UnknownSocketError, brokerEnded());
        return;
    }
    m_waiting.emplace_back(socket);
}

void Channel::onReply() {
    Reply reply{0};
    iovec part{&reply, sizeof reply};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))]{};
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const ssize_t got = ::recvmsg(m_fd, &message, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
    if (got < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (got != ssize_t(sizeof reply) || m_waiting.empty()) {
        endAll();
        return;
    }
    int connection = -1;
    if (const cmsghdr* header = CMSG_FIRSTHDR(&message);
        header && header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
        std::memcpy(&connection, CMSG_DATA(header), sizeof connection);
    const QPointer<BrokeredSocket> socket = m_waiting.front();
    m_waiting.pop_front();
    if (socket)
        socket->take(connection, reply.error);
    else if (connection >= 0)
        ::close(connection); // the fetch that asked has gone
}

void Channel::endAll() {
    m_ended = true;
    m_notifier.setEnabled(false);
    for (const QPointer<BrokeredSocket>& socket : m_waiting) {
        if (socket)
            socket->failLater(QAbstractSocket::UnknownSocketError, brokerEnded());
    }
    m_waiting.clear();
}

} // namespace

QString startBroker(const QUrl& origin) {
    if (g_channel)
        return {};
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return QStringLiteral("no channel to a connection broker");
    // Copied before the fork: the child touches nothing of Qt.
    const QByteArray host = origin.host(QUrl::FullyEncoded).toUtf8();
    const QByteArray port = QByteArray::number(origin.port(80));
    const pid_t helper = ::getpid();
    const pid_t broker = ::fork();
    if (broker < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return QStringLiteral("no connection broker");
    }
    if (broker == 0)
        serve(ends[1], host.constData(), port.constData(), helper);
    ::close(ends[1]);
    g_channel = new Channel(ends[0], origin);
    return {};
}

QTcpSocket* newBrokeredSocket(QObject* parent) {
    return g_channel ? new BrokeredSocket(parent) : nullptr;
}

} // namespace tarvo::webhelper
