#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

namespace tarvo::web {

struct FetchLimits {
    qint64 maxBytes = qint64(1) << 20;
    int maxRedirects = 5;
    // Not empty: every hop must stay on this address's scheme, host and port.
    QUrl sameHostAs;
};

// Whether url is plain HTTP on origin's host and port.
bool isSameHost(const QUrl& url, const QUrl& origin);

struct FetchResult {
    bool ok = false;
    QUrl url; // after redirects
    QByteArray body;
    QByteArray contentType;
    QString error; // why it failed, for the error page
};

// One GET over plain HTTP: redirects followed up to the limit, the body cut off (and the
// fetch failed) beyond maxBytes, everything over by the deadline, an error status a
// failure. Qt's reading is held to a small buffer, so however the body comes (chunked
// or not) the fetch never holds much more than maxBytes. finished is emitted once, never
// from inside start().
class PageFetch final : public QObject {
    Q_OBJECT
public:
    PageFetch(QNetworkAccessManager& network, const FetchLimits& limits, QDeadlineTimer deadline,
              QObject* parent = nullptr);
    ~PageFetch() override;

    void start(const QUrl& url);
    bool isDone() const { return m_done; }
    // Ends the fetch now as a failure (the navigation's deadline has passed).
    void cancel(const QString& why);

signals:
    void finished(const tarvo::web::FetchResult& result);

private:
    void request(const QUrl& url);
    void onMetaData();
    void onReadyRead();
    void onFinished();
    void fail(const QString& why);
    void dropReply();

    QNetworkAccessManager& m_network;
    FetchLimits m_limits;
    QDeadlineTimer m_deadline;
    QTimer m_timer;
    QPointer<QNetworkReply> m_reply;
    FetchResult m_result;
    int m_redirects = 0;
    bool m_done = false;
};

} // namespace tarvo::web
