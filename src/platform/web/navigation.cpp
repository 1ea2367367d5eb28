#include "platform/web/navigation.h"

#include "platform/web/charset.h"

#include <QBuffer>
#include <QImageReader>

namespace tarvo::platform::web {

QString errorPage(const QUrl& url, const QString& why) {
    return QStringLiteral("<html><head><title>无法显示网页</title></head>"
                          "<body bgcolor=\"#ffffff\"><p>无法显示网页 %1</p><p>%2</p></body></html>")
        .arg(url.toString().left(200).toHtmlEscaped(), why.left(200).toHtmlEscaped());
}

bool isHtml(const QByteArray& contentType) {
    const QByteArray type = contentType.split(';').first().trimmed().toLower();
    return type.isEmpty() || type == "text/html" || type == "application/xhtml+xml";
}

namespace {

QString failure(const FetchResult& result) {
    if (!result.ok)
        return result.error;
    if (!isHtml(result.contentType))
        return QStringLiteral("not HTML");
    return {};
}

} // namespace

Navigation::Navigation(QNetworkAccessManager& network, const WebPaneLimits& limits, const QUrl& url,
                       QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_limits(limits)
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
    auto* fetch = new PageFetch(m_network, limits, m_deadline, this);
    fetch->start(url);
    return fetch;
}

bool Navigation::sameHost(const QUrl& url) const {
    return url.scheme() == QLatin1String("http") && url.host() == m_url.host() &&
           url.port(80) == m_url.port(80);
}

void Navigation::onPage(const FetchResult& result) {
    sender()->deleteLater();
    if (const QString why = failure(result); !why.isEmpty()) {
        showError(result.url.isValid() ? result.url : m_url, why);
        return;
    }
    m_url = result.url;
    m_page = std::make_unique<Markup>(decodePage(result.body, result.contentType));
    emit documentReady(m_page->innerHtml());

    // Both lists are taken before anything is fetched, so that no completion can run
    // while they are still being counted.
    const QStringList frames = m_page->frameSources();
    m_frames.resize(std::size_t(frames.size()));
    std::vector<std::size_t> framesToFetch;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        const QUrl url = m_url.resolved(QUrl(frames[i]));
        if (sameHost(url) && int(framesToFetch.size()) < m_limits.maxFrames) {
            m_frames[std::size_t(i)].url = url;
            framesToFetch.push_back(std::size_t(i));
        }
    }
    QList<QUrl> images;
    for (const QString& src : m_page->imageSources()) {
        const QUrl url = m_url.resolved(QUrl(src));
        if (sameHost(url) && !images.contains(url) && images.size() < m_limits.maxImages)
            images << url;
    }

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
    if (const QString why = failure(result); !why.isEmpty())
        frame.body = Markup(errorPage(frame.url, why)).displayBody(display);
    else
        frame.body = Markup(decodePage(result.body, result.contentType)).displayBody(display);
    emit frameComplete(frame.url);
    finishOne();
}

void Navigation::onImage(const QUrl& url, const FetchResult& result) {
    sender()->deleteLater();
    if (result.ok) {
        QBuffer buffer;
        buffer.setData(result.body);
        QImageReader reader(&buffer);
        const QSize size = reader.size();
        if (size.isValid() && size.width() <= m_limits.maxImageSide &&
            size.height() <= m_limits.maxImageSide) {
            const QImage image = reader.read();
            if (!image.isNull())
                m_images.insert(url, image);
        }
    }
    finishOne();
}

void Navigation::finishOne() {
    if (--m_pending > 0)
        return;
    Markup::Display display;
    display.base = m_url;
    display.hasImage = [this](const QUrl& url) { return m_images.contains(url); };
    display.frameBody = [this](int index) {
        return index < int(m_frames.size()) ? m_frames[std::size_t(index)].body : QString();
    };
    emit pageComplete(m_url, m_page->displayHtml(display), m_images);
}

void Navigation::showError(const QUrl& url, const QString& why) {
    m_page = std::make_unique<Markup>(errorPage(url, why));
    emit documentReady(m_page->innerHtml());
    Markup::Display display;
    display.base = url;
    emit pageComplete(url, m_page->displayHtml(display), {});
}

} // namespace tarvo::platform::web
