#include "platform/webpane/helperpane.h"

#include "platform/webpane/pagehelper.h"
#include "platform/webpane/paneview.h"
#include "runtime/errors.h"
#include "webprotocol/errorpage.h"

#include <QScrollBar>
#include <QStyle>

namespace tarvo::platform {
namespace webpane {

using tarvo::webprotocol::Message;

HelperWebPane::HelperWebPane(const WebPaneLimits& limits, QWidget* parent)
    : m_limits(limits)
    , m_view(new PaneView(parent)) {
    // The pane lives as long as the widget that shows it.
    setParent(m_view);
}

HelperWebPane::~HelperWebPane() {
    dropNavigation();
}

QWidget* HelperWebPane::widget() {
    return m_view;
}

void HelperWebPane::Navigate(const QString& url) {
    dropNavigation();
    tarvo::webprotocol::Request request;
    request.url = QUrl(url);
    if (m_view) {
        request.pane = m_view->size();
        request.ratio = m_view->devicePixelRatioF();
        request.scrollBar = m_view->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                         m_view->verticalScrollBar());
        request.font = m_view->font();
    }
    m_navigation = new PageHelper(m_limits, request, this);
    connect(m_navigation, &PageHelper::message, this, &HelperWebPane::onMessage);
    m_navigation->start();
}

void HelperWebPane::onMessage(const Message& message) {
    switch (message.kind) {
    case Message::Kind::Document:
        m_innerHtml = message.markup;
        m_hasDocument = true;
        break;
    case Message::Kind::Frame:
        emit DocumentComplete(message.url.toString());
        break;
    case Message::Kind::Page:
        if (m_view)
            m_view->showPage(message);
        // The helper has ended its work; its process goes now rather than with the pane.
        dropNavigation();
        emit DocumentComplete(message.url.toString());
        break;
    case Message::Kind::Failed: {
        const tarvo::webprotocol::ErrorPage error =
            tarvo::webprotocol::errorPage(message.url, message.text);
        m_innerHtml = error.innerHtml;
        m_hasDocument = true;
        if (m_view)
            m_view->showError(error.html);
        dropNavigation();
        emit DocumentComplete(message.url.toString());
        break;
    }
    }
}

QString HelperWebPane::documentElementInnerHtml() const {
    if (!m_hasDocument)
        runtime::raise(runtime::ErrorCode::ObjectVariableNotSet, QStringLiteral("no document"));
    return m_innerHtml;
}

// An abandoned navigation may be emitting right now (a handler navigating again): it is
// cut off at once and deleted from the event loop.
void HelperWebPane::dropNavigation() {
    if (!m_navigation)
        return;
    m_navigation->disconnect(this);
    m_navigation->deleteLater();
    m_navigation = nullptr;
}

namespace {

class HelperWebPaneFactory final : public IWebPaneFactory {
public:
    explicit HelperWebPaneFactory(const WebPaneLimits& limits)
        : m_limits(limits) {}
    IWebPane* create(QWidget* parent) override { return new HelperWebPane(m_limits, parent); }

private:
    WebPaneLimits m_limits;
};

} // namespace

std::unique_ptr<IWebPaneFactory> createHelperWebPaneFactory(const WebPaneLimits& limits) {
    return std::make_unique<HelperWebPaneFactory>(limits);
}

} // namespace webpane

std::unique_ptr<IWebPaneFactory> createWebPaneFactory() {
    return webpane::createHelperWebPaneFactory({});
}

} // namespace tarvo::platform
