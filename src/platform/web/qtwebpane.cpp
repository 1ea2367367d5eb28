#include "platform/web/qtwebpane.h"

#include "platform/web/navigation.h"
#include "platform/web/paneview.h"
#include "runtime/errors.h"

namespace tarvo::platform {
namespace web {

QtWebPane::QtWebPane(const WebPaneLimits& limits, QWidget* parent)
    : m_limits(limits)
    , m_view(new PaneView(parent)) {
    // The pane lives as long as the widget that shows it.
    setParent(m_view);
}

QtWebPane::~QtWebPane() {
    dropNavigation();
}

QWidget* QtWebPane::widget() {
    return m_view;
}

void QtWebPane::Navigate(const QString& url) {
    dropNavigation();
    m_navigation = new Navigation(m_network, m_limits, QUrl(url), this);
    connect(m_navigation, &Navigation::documentReady, this, [this](const QString& innerHtml) {
        m_innerHtml = innerHtml;
        m_hasDocument = true;
    });
    connect(m_navigation, &Navigation::frameComplete, this,
            [this](const QUrl& frame) { emit DocumentComplete(frame.toString()); });
    connect(m_navigation, &Navigation::pageComplete, this,
            [this](const QUrl& page, const QString& html, const QHash<QUrl, QImage>& images) {
                if (m_view)
                    m_view->showPage(html, images);
                emit DocumentComplete(page.toString());
            });
    m_navigation->start();
}

QString QtWebPane::documentElementInnerHtml() const {
    if (!m_hasDocument)
        runtime::raise(runtime::ErrorCode::ObjectVariableNotSet, QStringLiteral("no document"));
    return m_innerHtml;
}

// An abandoned navigation may be emitting right now (a handler navigating again): it is
// cut off at once and deleted from the event loop.
void QtWebPane::dropNavigation() {
    if (!m_navigation)
        return;
    m_navigation->disconnect(this);
    m_navigation->deleteLater();
    m_navigation = nullptr;
}

namespace {

class QtWebPaneFactory final : public IWebPaneFactory {
public:
    explicit QtWebPaneFactory(const WebPaneLimits& limits)
        : m_limits(limits) {}
    IWebPane* create(QWidget* parent) override { return new QtWebPane(m_limits, parent); }

private:
    WebPaneLimits m_limits;
};

} // namespace

std::unique_ptr<IWebPaneFactory> createQtWebPaneFactory(const WebPaneLimits& limits) {
    return std::make_unique<QtWebPaneFactory>(limits);
}

} // namespace web

std::unique_ptr<IWebPaneFactory> createWebPaneFactory() {
    return web::createQtWebPaneFactory({});
}

} // namespace tarvo::platform
