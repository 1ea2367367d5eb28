#pragma once

#include "platform/web/limits.h"
#include "platform/webpane.h"

#include <QNetworkAccessManager>
#include <QPointer>

namespace tarvo::platform::web {

class Navigation;
class PaneView;

// The web pane over Qt: QNetworkAccessManager fetches, gumbo parses, a QTextBrowser shows.
class QtWebPane final : public IWebPane {
    Q_OBJECT
public:
    QtWebPane(const WebPaneLimits& limits, QWidget* parent);
    ~QtWebPane() override;

    QWidget* widget() override;
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void Navigate(const QString& url) override;
    QString documentElementInnerHtml() const override;

private:
    void dropNavigation();

    WebPaneLimits m_limits;
    QPointer<PaneView> m_view;
    QNetworkAccessManager m_network;
    Navigation* m_navigation = nullptr;
    QString m_innerHtml;
    bool m_hasDocument = false;
    bool m_silent = false;
};

std::unique_ptr<IWebPaneFactory> createQtWebPaneFactory(const WebPaneLimits& limits);

} // namespace tarvo::platform::web
