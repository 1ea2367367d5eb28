#include "web/pagefetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace tarvo::web {
namespace {

// What Qt may read ahead of the fetch; it stops reading the socket beyond it.
constexpr qint64 ReadAhead = 64 * 1024;

} // namespace

bool isSameHost(const QUrl& url, const QUrl& origin) {
    return url.scheme() == QLatin1String("http") && url.host() == origin.host() &&
           url.port(80) == origin.port(80);
}

PageFetch::PageFetch(QNetworkAccessManager& network, const FetchLimits& limits,
                     QDeadlineTimer deadline, QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_limits(limits)
    , m_deadline(deadline) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] { fail(QStringLiteral("time-out")); });
}

PageFetch::~PageFetch() {
    dropReply();
}

void PageFetch::start(const QUrl& url) {
    m_timer.start(std::chrono::milliseconds(std::max<qint64>(0, m_deadline.remainingTime())));
    // Reported from the event loop, so a caller never sees finished inside start().
    QMetaObject::invokeMethod(
        this, [this, url] { request(url); }, Qt::QueuedConnection);
}

void PageFetch::cancel(const QString& why) {
    fail(why);
}

void PageFetch::request(const QUrl& url) {
    if (m_done)
        return;
    m_result.url = url;
    if (!url.isValid() || url.scheme() != QLatin1String("http") || url.host().isEmpty()) {
        fail(QStringLiteral("not a plain HTTP address"));
        return;
    }
    if (!m_limits.sameHostAs.isEmpty() && !isSameHost(url, m_limits.sameHostAs)) {
        fail(QStringLiteral("another host"));
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    // A compressed body could inflate far past the size cap before it is counted.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray("Tarvo/1.5"));
    m_result.body.clear();
    m_reply = m_network.get(request);
    m_reply->setReadBufferSize(ReadAhead);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &PageFetch::onMetaData);
    connect(m_reply, &QNetworkReply::readyRead, this, &PageFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &PageFetch::onFinished);
}

void PageFetch::onMetaData() {
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > m_limits.maxBytes)
        fail(QStringLiteral("too large"));
}

void PageFetch::onReadyRead() {
    const int status = m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status >= 300 && status < 400) {
        m_reply->readAll(); // a redirect's body is not wanted
        return;
    }
    const qint64 room = m_limits.maxBytes - m_result.body.size();
    if (m_reply->bytesAvailable() > room) {
        fail(QStringLiteral("too large"));
        return;
    }
    m_result.body += m_reply->readAll();
}

void PageFetch::onFinished() {
    if (m_done || !m_reply)
        return;
    QNetworkReply* reply = m_reply;
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QUrl location = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl();
    if (reply->error() == QNetworkReply::NoError && status >= 300 && status < 400 &&
        location.isValid()) {
        const QUrl next = reply->url().resolved(location);
        dropReply();
        if (++m_redirects > m_limits.maxRedirects) {
            fail(QStringLiteral("too many redirects"));
            return;
        }
        request(next);
        return;
    }
    if (reply->error() != QNetworkReply::NoError && status < 400) {
        fail(reply->errorString());
        return;
    }
    if (status < 200 || status >= 300) {
        fail(QStringLiteral("HTTP status %1").arg(status));
        return;
    }
    onReadyRead();
    if (m_done)
        return;
    m_result.contentType = reply->rawHeader("Content-Type");
    m_result.url = reply->url();
    m_result.ok = true;
    dropReply();
    m_done = true;
    m_timer.stop();
    emit finished(m_result);
}

void PageFetch::fail(const QString& why) {
    if (m_done)
        return;
    m_done = true;
    m_timer.stop();
    dropReply();
    m_result.ok = false;
    m_result.body.clear();
    m_result.error = why;
    emit finished(m_result);
}

void PageFetch::dropReply() {
    if (!m_reply)
        return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    if (reply->isRunning())
        reply->abort();
    reply->deleteLater();
}

} // namespace tarvo::web
