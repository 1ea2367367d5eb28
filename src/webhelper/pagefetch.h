#pragma once

#include "sandbox/socketfactory.h"
#include "webprotocol/navigationlimits.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QTcpSocket;

namespace tarvo::webhelper {

using sandbox::SocketFactory;

struct FetchLimits {
    qint64 maxBytes = webprotocol::MaxFetchBytes;
    int maxRedirects = webprotocol::MaxRedirects;
    // Not empty: every hop must stay on this address's scheme, host and port.
    QUrl sameOriginAs;
};

struct FetchResult {
    bool ok = false;
    QUrl url; // after redirects
    QByteArray body;
    QByteArray contentType;
    QString error; // why it failed, for the error page
};

// Whether url is plain HTTP on origin's host and port.
bool isSameOrigin(const QUrl& url, const QUrl& origin);

// One GET over plain HTTP/1.1: redirects followed up to the limit, the body cut off (and
// the fetch failed) beyond maxBytes, everything over by the deadline, an error status a
// failure. It reads the socket itself, a little at a time and only when its thread asks:
// however the body comes (chunked, sized or up to the close) and however long the thread
// is busy elsewhere, the fetch never holds much more than maxBytes. finished is emitted
// once, never from inside start().
class PageFetch final : public QObject {
    Q_OBJECT
public:
    // Its connections come from sockets (the sandbox's), or plain sockets when empty.
    PageFetch(const FetchLimits& limits, QDeadlineTimer deadline, SocketFactory sockets = {},
              QObject* parent = nullptr);
    ~PageFetch() override;

    void start(const QUrl& url);

signals:
    void finished(const tarvo::webhelper::FetchResult& result);

private:
    enum class Stage { Head, Sized, Chunked, ToClose };

    void request(const QUrl& url);
    void onReadable();
    void onClosed();
    bool takeHead();
    bool takeBody();
    bool takeChunks();
    bool append(QByteArrayView bytes);
    void succeed();
    void fail(const QString& why);
    void dropSocket();

    FetchLimits m_limits;
    QDeadlineTimer m_deadline;
    SocketFactory m_sockets;
    QTimer m_timer;
    QTcpSocket* m_socket = nullptr;
    QByteArray m_pending; // read but not yet taken
    Stage m_stage = Stage::Head;
    qint64 m_left = 0; // of the sized body, or of the current chunk (-1: a size line next)
    FetchResult m_result;
    int m_redirects = 0;
    bool m_done = false;
};

} // namespace tarvo::webhelper
