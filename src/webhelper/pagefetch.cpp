#include "webhelper/pagefetch.h"

#include "webprotocol/message.h"

#include <QTcpSocket>

namespace tarvo::webhelper {
namespace {

// What the socket may read ahead of the fetch; it stops reading the connection beyond it.
constexpr qint64 ReadAhead = 64 * 1024;
// The status line and headers together, and one chunk-size line.
constexpr qsizetype MaxHead = 64 * 1024;
constexpr qsizetype MaxChunkLine = 1024;
constexpr qint64 SizeLine = -1; // m_left while a chunk-size line is next
constexpr qint64 ChunkEnd = -2; // m_left while the CR LF after a chunk is next

QByteArray header(const QList<QByteArray>& lines, const QByteArray& name) {
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().compare(name, Qt::CaseInsensitive) == 0)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

bool isSameOrigin(const QUrl& url, const QUrl& origin) {
    return url.scheme() == QLatin1String("http") && url.host() == origin.host() &&
           url.port(webprotocol::HttpPort) == origin.port(webprotocol::HttpPort);
}

PageFetch::PageFetch(const FetchLimits& limits, QDeadlineTimer deadline, SocketFactory sockets,
                     QObject* parent)
    : QObject(parent)
    , m_limits(limits)
    , m_deadline(deadline)
    , m_sockets(sockets ? std::move(sockets)
                        : [](QObject* owner) { return new QTcpSocket(owner); }) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { fail(QStringLiteral("time-out")); });
}

PageFetch::~PageFetch() {
    dropSocket();
}

void PageFetch::start(const QUrl& url) {
    m_timer.start(std::chrono::milliseconds(std::max<qint64>(0, m_deadline.remainingTime())));
    // Reported from the event loop, so a caller never sees finished inside start().
    QMetaObject::invokeMethod(
        this, [this, url] { request(url); }, Qt::QueuedConnection);
}

void PageFetch::request(const QUrl& url) {
    if (m_done)
        return;
    dropSocket();
    m_result.url = url;
    m_result.body.clear();
    m_pending.clear();
    m_stage = Stage::Head;
    // Within the caps: every address the helper reports is one the window takes.
    if (url.scheme() != QLatin1String("http") || !webprotocol::isPaneLink(url)) {
        fail(QStringLiteral("not a plain HTTP address"));
        return;
    }
    if (!m_limits.sameOriginAs.isEmpty() && !isSameOrigin(url, m_limits.sameOriginAs)) {
        fail(QStringLiteral("another host"));
        return;
    }
    QByteArray target =
        url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment);
    if (!target.startsWith('/'))
        target.prepend('/');
    QByteArray host = url.host(QUrl::FullyEncoded).toUtf8();
    if (host.contains(':'))
        host = '[' + host + ']';
    if (url.port(webprotocol::HttpPort) != webprotocol::HttpPort)
        host += ':' + QByteArray::number(url.port());
    // A compressed body could inflate far past the size cap before it is counted.
    const QByteArray head = "GET " + target + " HTTP/1.1\r\nHost: " + host +
                            "\r\nUser-Agent: Tarvo/1.5\r\nAccept-Encoding: identity\r\n"
                            "Connection: close\r\n\r\n";

    m_socket = m_sockets(this);
    m_socket->setReadBufferSize(ReadAhead);
    connect(m_socket, &QTcpSocket::connected, this, [this, head] { m_socket->write(head); });
    connect(m_socket, &QTcpSocket::readyRead, this, &PageFetch::onReadable);
    connect(m_socket, &QTcpSocket::disconnected, this, &PageFetch::onClosed);
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        if (error == QAbstractSocket::RemoteHostClosedError)
            onClosed();
        else
            fail(m_socket->errorString());
    });
    m_socket->connectToHost(url.host(), quint16(url.port(webprotocol::HttpPort)));
}

void PageFetch::onReadable() {
    // One read at a time: the socket refills its small buffer only as it is emptied.
    while (!m_done && m_socket && m_socket->bytesAvailable() > 0) {
        m_pending += m_socket->read(ReadAhead);
        const bool more = m_stage == Stage::Head ? takeHead() : takeBody();
        if (!more)
            return;
    }
}

void PageFetch::onClosed() {
    if (m_done || !m_socket)
        return;
    if (m_socket->bytesAvailable() > 0)
        onReadable();
    if (m_done)
        return;
    if (m_stage == Stage::ToClose)
        succeed();
    else
        fail(QStringLiteral("the connection closed early"));
}

// The status line and headers; false once the fetch has ended or moved on.
bool PageFetch::takeHead() {
    const qsizetype end = m_pending.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_pending.size() > MaxHead)
            fail(QStringLiteral("headers too large"));
        return !m_done;
    }
    if (end > MaxHead) {
        fail(QStringLiteral("headers too large"));
        return false;
    }
    const QList<QByteArray> lines = m_pending.left(end).split('\n');
    m_pending.remove(0, end + 4);
    const QList<QByteArray> status = lines.first().trimmed().split(' ');
    bool numeric = false;
    const int code = status.value(1).toInt(&numeric);
    if (!status.first().startsWith("HTTP/1.") || !numeric) {
        fail(QStringLiteral("not an HTTP answer"));
        return false;
    }
    if (code >= 100 && code < 200) // an interim answer; the real one follows
        return m_pending.isEmpty() || takeHead();

    const QByteArray location = header(lines, "Location");
    if (code >= 300 && code < 400 && !location.isEmpty()) {
        const QUrl next = m_result.url.resolved(QUrl::fromEncoded(location));
        if (++m_redirects > m_limits.maxRedirects) {
            fail(QStringLiteral("too many redirects"));
            return false;
        }
        request(next);
        return false;
    }
    if (code < 200 || code >= 300) {
        fail(QStringLiteral("HTTP status %1").arg(code));
        return false;
    }
    m_result.contentType = header(lines, "Content-Type");
    if (header(lines, "Transfer-Encoding").toLower().contains("chunked")) {
        m_stage = Stage::Chunked;
        m_left = SizeLine;
    } else if (const QByteArray length = header(lines, "Content-Length"); !length.isEmpty()) {
        m_left = length.toLongLong(&numeric);
        if (!numeric || m_left < 0) {
            fail(QStringLiteral("a bad length"));
            return false;
        }
        if (m_left > m_limits.maxBytes) {
            fail(QStringLiteral("too large"));
            return false;
        }
        m_stage = Stage::Sized;
    } else {
        m_stage = Stage::ToClose;
    }
    return takeBody();
}

bool PageFetch::takeBody() {
    switch (m_stage) {
    case Stage::Head:
        return true;
    case Stage::Chunked:
        return takeChunks();
    case Stage::Sized: {
        const qint64 now = std::min<qint64>(m_left, m_pending.size());
        if (!append(QByteArrayView(m_pending).first(now)))
            return false;
        m_pending.clear();
        m_left -= now;
        if (m_left == 0) {
            succeed();
            return false;
        }
        return true;
    }
    case Stage::ToClose:
        if (!append(m_pending))
            return false;
        m_pending.clear();
        return true;
    }
    return true;
}

bool PageFetch::takeChunks() {
    while (!m_pending.isEmpty()) {
        if (m_left == SizeLine || m_left == ChunkEnd) {
            const qsizetype eol = m_pending.indexOf("\r\n");
            if (eol < 0) {
                if (m_pending.size() > MaxChunkLine)
                    fail(QStringLiteral("a bad chunk"));
                return !m_done;
            }
            const QByteArray line = m_pending.left(eol);
            m_pending.remove(0, eol + 2);
            if (m_left == ChunkEnd) {
                m_left = SizeLine;
                continue;
            }
            bool numeric = false;
            const qint64 size = line.split(';').first().trimmed().toLongLong(&numeric, 16);
            if (!numeric || size < 0) {
                fail(QStringLiteral("a bad chunk"));
                return false;
            }
            if (size == 0) { // the trailer, if any, is not wanted
                succeed();
                return false;
            }
            m_left = size;
            continue;
        }
        const qint64 now = std::min<qint64>(m_left, m_pending.size());
        if (!append(QByteArrayView(m_pending).first(now)))
            return false;
        m_pending.remove(0, now);
        m_left -= now;
        if (m_left == 0)
            m_left = ChunkEnd;
    }
    return true;
}

bool PageFetch::append(QByteArrayView bytes) {
    if (m_result.body.size() + bytes.size() > m_limits.maxBytes) {
        fail(QStringLiteral("too large"));
        return false;
    }
    m_result.body += bytes;
    return true;
}

void PageFetch::succeed() {
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    dropSocket();
    m_result.ok = true;
    emit finished(m_result);
}

void PageFetch::fail(const QString& why) {
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    dropSocket();
    m_result.ok = false;
    m_result.body.clear();
    m_result.error = why;
    emit finished(m_result);
}

void PageFetch::dropSocket() {
    if (!m_socket)
        return;
    QTcpSocket* socket = m_socket;
    m_socket = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

} // namespace tarvo::webhelper
