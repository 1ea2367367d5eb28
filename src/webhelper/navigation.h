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
using webprotocol::Picture;

// One navigation: the page, then its frames (same host, one level, at most maxFrames)
// and pictures (same host, within the caps), all by one deadline. A page that cannot be
// had is replaced by the pane's error page. What it finds it tells as messages: the
// document, each frame, then the page to show; after the page it is done.
class Navigation final : public QObject {
    Q_OBJECT
public:
    Navigation(const PageLimits& limits, const QUrl& url, QObject* parent = nullptr);
    ~Navigation() override;

    void start();

signals:
    void message(const tarvo::webhelper::Message& message);

private:
    struct Frame {
        QUrl url;
        QString body;
    };

    PageFetch* fetch(const QUrl& url, bool sameHostOnly);
    void onPage(const FetchResult& result);
    void onFrame(std::size_t index, const FetchResult& result);
    void onImage(const QUrl& url, const FetchResult& result);
    void finishOne();
    void showError(const QUrl& url, const QString& why);

    PageLimits m_limits;
    DocumentCaps m_share; // of the page, and of each frame
    QUrl m_url;
    QDeadlineTimer m_deadline;
    std::unique_ptr<Markup> m_page;
    std::vector<Frame> m_frames; // by position among the page's frames
    QHash<QUrl, QImage> m_images;
    qint64 m_pixels = 0; // of the pictures decoded so far
    int m_pending = 0;
};

// Whether a response with this Content-Type is a document the pane shows.
bool isHtml(const QByteArray& contentType);

} // namespace tarvo::webhelper
