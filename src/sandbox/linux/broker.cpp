#include "sandbox/linux/broker.h"

#include "sandbox/linux/brokerserver.h"
#include "webprotocol/navigationlimits.h"

#include <QHash>
#include <QPointer>
#include <QSocketNotifier>
#include <QTcpSocket>

#include <cerrno>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::sandbox {
namespace {

class BrokeredSocket;

// The helper's end of the channel. The broker answers each request as its connection is
// made, in any order.
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
    QHash<int, QPointer<BrokeredSocket>> m_waiting; // by request
    int m_lastRequest = 0;
    bool m_ended = false;
};

QString brokerEnded() {
    return QStringLiteral("the connection broker ended");
}

class BrokeredSocket final : public QTcpSocket {
public:
    using QTcpSocket::connectToHost;

    BrokeredSocket(std::shared_ptr<Channel> channel, QObject* parent)
        : QTcpSocket(parent)
        , m_channel(std::move(channel)) {}

    void connectToHost(const QString& host, quint16 port, OpenMode mode,
                       NetworkLayerProtocol) override {
        if (state() != UnconnectedState)
            return;
        m_mode = mode;
        setSocketState(ConnectingState);
        emit stateChanged(ConnectingState);
        const QUrl& origin = m_channel->origin();
        if (host.compare(origin.host(), Qt::CaseInsensitive) != 0 ||
            port != origin.port(webprotocol::HttpPort)) {
            failLater(HostNotFoundError, QStringLiteral("another host"));
            return;
        }
        m_channel->ask(this);
    }

    // The broker's answer: a connection, or why there is none. A socket aborted since it
    // asked wants neither.
    void take(int connection, int error) {
        if (state() != ConnectingState) {
            if (connection >= 0)
                ::close(connection);
            return;
        }
        if (connection >= 0 && setSocketDescriptor(connection, ConnectedState, m_mode)) {
            emit connected();
            return;
        }
        if (connection >= 0)
            ::close(connection);
        if (error == NoHost)
            fail(HostNotFoundError, QStringLiteral("Host not found"));
        else if (error == OverBudget)
            fail(SocketResourceError, QStringLiteral("too many connections for one page"));
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

    std::shared_ptr<Channel> m_channel;
    OpenMode m_mode = ReadWrite;
};

void Channel::ask(BrokeredSocket* socket) {
    const BrokerRequest request{++m_lastRequest};
    if (m_ended || ::send(m_fd, &request, sizeof request, MSG_NOSIGNAL) != sizeof request) {
        socket->failLater(QAbstractSocket::UnknownSocketError, brokerEnded());
        return;
    }
    m_waiting.insert(request.id, socket);
}

void Channel::onReply() {
    BrokerReply reply{};
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
    int connection = -1;
    if (const cmsghdr* header = got > 0 ? CMSG_FIRSTHDR(&message) : nullptr;
        header && header->cmsg_level == SOL_SOCKET && header->cmsg_type == SCM_RIGHTS)
        std::memcpy(&connection, CMSG_DATA(header), sizeof connection);
    const QPointer<BrokeredSocket> socket = m_waiting.take(reply.id);
    if (socket && got == ssize_t(sizeof reply)) {
        socket->take(connection, reply.error);
        return;
    }
    if (connection >= 0)
        ::close(connection); // the fetch that asked has gone, or the reply is not one
    if (got != ssize_t(sizeof reply))
        endAll();
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

QString startBroker(const QUrl& origin, int budget, SocketFactory& sockets) {
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return QStringLiteral("no channel to a connection broker");
    // Copied before the fork: the child touches nothing of Qt.
    const QByteArray host = origin.host(QUrl::FullyEncoded).toUtf8();
    const QByteArray port = QByteArray::number(origin.port(webprotocol::HttpPort));
    const pid_t helper = ::getpid();
    const pid_t broker = ::fork();
    if (broker < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return QStringLiteral("no connection broker");
    }
    if (broker == 0)
        serveConnections(ends[1], host.constData(), port.constData(), helper, budget);
    ::close(ends[1]);
    auto channel = std::make_shared<Channel>(ends[0], origin);
    sockets = [channel](QObject* parent) -> QTcpSocket* {
        return new BrokeredSocket(channel, parent);
    };
    return {};
}

} // namespace tarvo::sandbox
