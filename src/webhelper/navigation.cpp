#include "webhelper/navigation.h"

#include "webhelper/charset.h"
#include "webprotocol/errorpage.h"

#include <QBuffer>
#include <QImageReader>
#include <QSet>

namespace tarvo::webhelper {

namespace {

// Whether a response with this Content-Type is a document the pane shows.
bool isHtml(const QByteArray& contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type.isEmpty() || type == "text/html" || type == "application/xhtml+xml";
}

QString failure(const FetchResult& result) {
    if (!result.ok)
        return result.error;
    if (!isHtml(result.contentType))
        return QStringLiteral("not HTML");
    return {};
}

} // namespace

Navigation::Navigation(const PageLimits& limits, const QUrl& url, SocketFactory sockets,
                       QObject* parent)
    : QObject(parent)
    , m_limits(limits)
    , m_sockets(std::move(sockets))
    , m_share(limits.caps)
    , m_origin(url)
    , m_url(url)
    , m_deadline(limits.timeout) {}

Navigation::~Navigation() = default;

void Navigation::start() {
    PageFetch* page = fetch(m_url);
    connect(page, &PageFetch::finished, this, &Navigation::onPage);
}

PageFetch* Navigation::fetch(const QUrl& url) {
    FetchLimits limits;
    limits.maxBytes = m_limits.maxBytes;
    limits.maxRedirects = m_limits.maxRedirects;
    limits.sameOriginAs = m_origin;
    auto* fetch = new PageFetch(limits, m_deadline, m_sockets, this);
    fetch->start(url);
    return fetch;
}

void Navigation::onPage(const FetchResult& result) {
    sender()->deleteLater();
    if (const QString why = failure(result); !why.isEmpty()) {
        reportFailure(m_url, why); // the address asked for, not where it led
        return;
    }
    m_url = result.url;
    m_page = std::make_unique<Markup>(decodePage(result.body, result.contentType));
    Message document;
    document.markup = m_page->innerHtml();
    emit message(document);

    // Both lists are taken before anything is fetched, so that no completion can run
    // while they are still being counted.
    const QStringList frames = m_page->frameSources();
    m_frames.resize(std::size_t(frames.size()));
    std::vector<std::size_t> framesToFetch;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QUrl url = m_url.resolved(QUrl(frames[i]));
        if (isSameOrigin(url, m_origin) && webprotocol::isPaneLink(url) &&
            int(framesToFetch.size()) < m_limits.maxFrames) {
            m_frames[std::size_t(i)].url = url;
            framesToFetch.push_back(std::size_t(i));
        }
    }
    QList<QUrl> images;
    for (const QString& src : m_page->imageSources()) {
        const QUrl url = m_url.resolved(QUrl(src));
        if (isSameOrigin(url, m_origin) && !images.contains(url) &&
            images.size() < m_limits.caps.pictures)
            images << url;
    }
    m_share = m_limits.caps.share(1 + int(framesToFetch.size()));

    m_pending = int(framesToFetch.size() + std::size_t(images.size())) + 1;
    for (std::size_t index : framesToFetch) {
        connect(fetch(m_frames[index].url), &PageFetch::finished, this,
                [this, index](const FetchResult& result) { onFrame(index, result); });
    }
    for (const QUrl& url : images) {
        connect(fetch(url), &PageFetch::finished, this,
                [this, url](const FetchResult& result) { onImage(url, result); });
    }
    finishOne(); // the page itself
}

void Navigation::onFrame(std::size_t index, const FetchResult& result) {
    sender()->deleteLater();
    Frame& frame = m_frames[index];
    // A frame holds a document of its own, shown without its own frames or images.
    Markup::Display display;
    display.base = result.ok ? result.url : frame.url;
    display.caps = m_share;
    if (const QString why = failure(result); !why.isEmpty())
        frame.body = Markup(webprotocol::errorPage(frame.url, why).html).displayBody(display);
    else
        frame.body = Markup(decodePage(result.body, result.contentType)).displayBody(display);
    Message complete;
    complete.kind = Message::Kind::Frame;
    complete.url = frame.url;
    emit message(complete);
    finishOne();
}

void Navigation::onImage(const QUrl& url, const FetchResult& result) {
    sender()->deleteLater();
    if (result.ok) {
        QBuffer buffer;
        buffer.setData(result.body);
        QImageReader reader(&buffer);
        // The size is read from the header: a picture too large for the caps is never
        // decoded.
        const QSize size = reader.size();
        const qint64 pixels = qint64(size.width()) * size.height();
        if (size.isValid() && size.width() <= m_limits.caps.pictureSide &&
            size.height() <= m_limits.caps.pictureSide &&
            m_pixels + pixels <= m_limits.caps.pixels) {
            const QImage image = reader.read();
            if (!image.isNull() && image.size() == size) {
                m_images.insert(url, image);
                m_pixels += pixels;
            }
        }
    }
    finishOne();
}

void Navigation::finishOne() {
    if (--m_pending > 0)
        return;
    QSet<QUrl> shown;
    Markup::Display display;
    display.base = m_url;
    display.caps = m_share;
    display.hasImage = [&](const QUrl& url) {
        if (!m_images.contains(url))
            return false;
        shown.insert(url);
        return true;
    };
    display.frameBody = [this](int index) {
        return index < int(m_frames.size()) ? m_frames[std::size_t(index)].body : QString();
    };
    const QString html = m_page->displayHtml(display);
    QHash<QUrl, QImage> pictures;
    for (const QUrl& url : std::as_const(shown))
        pictures.insert(url, m_images.value(url));
    m_images.clear();
    emit ready(m_url, html, pictures);
}

void Navigation::reportFailure(const QUrl& url, const QString& why) {
    Message failed;
    failed.kind = Message::Kind::Failed;
    failed.url = url;
    failed.text = why;
    emit message(failed);
}

} // namespace tarvo::webhelper
