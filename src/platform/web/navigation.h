#pragma once

#include "platform/web/limits.h"
#include "platform/web/markup.h"
#include "platform/web/pagefetch.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QUrl>

#include <memory>
#include <vector>

class QNetworkAccessManager;

namespace tarvo::platform::web {

// One navigation of a pane: the page, then its frames (same host, one level, at most
// maxFrames) and images (same host, at most maxImages), all by one deadline. A page that
// cannot be had is replaced by the pane's error page.
class Navigation final : public QObject {
    Q_OBJECT
public:
    Navigation(QNetworkAccessManager& network, const WebPaneLimits& limits, const QUrl& url,
               QObject* parent = nullptr);
    ~Navigation() override;

    void start();

signals:
    // The top-level document is there (the page's or the error page's): its innerHTML.
    void documentReady(const QString& innerHtml);
    void frameComplete(const QUrl& url);
    // Everything is in: what to show, with the images it may use.
    void pageComplete(const QUrl& url, const QString& displayHtml,
                      const QHash<QUrl, QImage>& images);

private:
    struct Frame {
        QUrl url;
        QString body;
    };

    PageFetch* fetch(const QUrl& url);
    bool sameHost(const QUrl& url) const;
    void onPage(const FetchResult& result);
    void onFrame(std::size_t index, const FetchResult& result);
    void onImage(const QUrl& url, const FetchResult& result);
    void finishOne();
    void showError(const QUrl& url, const QString& why);

    QNetworkAccessManager& m_network;
    WebPaneLimits m_limits;
    QUrl m_url;
    QDeadlineTimer m_deadline;
    std::unique_ptr<Markup> m_page;
    std::vector<Frame> m_frames; // by position among the page's frames
    QHash<QUrl, QImage> m_images;
    int m_pending = 0;
};

// The pane's own page for a navigation that failed; it never carries the maker's marker.
QString errorPage(const QUrl& url, const QString& why);

// Whether a response with this Content-Type is a document the pane shows.
bool isHtml(const QByteArray& contentType);

} // namespace tarvo::platform::web
