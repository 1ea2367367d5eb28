#pragma once

#include "webhelper/markup.h"
#include "webhelper/pagefetch.h"
#include "webhelper/pagelimits.h"
#include "webprotocol/message.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QUrl>

#include <memory>
#include <vector>

namespace tarvo::webhelper {

using webprotocol::Message;

// One navigation: the page, then its frames (one level, at most maxFrames) and pictures
// (within the caps), all by one deadline, every request and every redirect on the
// scheme, host and port of the address it was given. What it finds it tells as messages:
// the document and each frame, then either the page to show (ready) or why there is
// none (a Failed message). After either it is done.
class Navigation final : public QObject {
    Q_OBJECT
public:
    // Every fetch's connection comes from sockets (see PageFetch).
    Navigation(const PageLimits& limits, const QUrl& url, SocketFactory sockets = {},
               QObject* parent = nullptr);
    ~Navigation() override;

    void start();

signals:
    void message(const tarvo::webprotocol::Message& message);
    // The markup to show, its address and the pictures it refers to.
    void ready(const QUrl& url, const QString& html, const QHash<QUrl, QImage>& pictures);

private:
    struct Frame {
        QUrl url;
        QString body;
    };

    PageFetch* fetch(const QUrl& url);
    void onPage(const FetchResult& result);
    void onFrame(std::size_t index, const FetchResult& result);
    void onImage(const QUrl& url, const FetchResult& result);
    void finishOne();
    void reportFailure(const QUrl& url, const QString& why);

    PageLimits m_limits;
    SocketFactory m_sockets;
    DocumentCaps m_share; // of the page, and of each frame
    QUrl m_origin;        // where every request must stay
    QUrl m_url;           // the page's, after its redirects
    QDeadlineTimer m_deadline;
    std::unique_ptr<Markup> m_page;
    std::vector<Frame> m_frames; // by position among the page's frames
    QHash<QUrl, QImage> m_images;
    qint64 m_pixels = 0; // of the pictures decoded so far
    int m_pending = 0;
};

} // namespace tarvo::webhelper
