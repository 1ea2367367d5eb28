#pragma once

#include "platform/webpane.h"
#include "platform/webpane/panelimits.h"

#include <QPointer>

namespace tarvo::webprotocol {
struct Message;
}

namespace tarvo::platform::webpane {

class PageHelper;
class PaneView;

// The web pane: each navigation in a helper process (PageHelper), which lays the page out
// at the pane's size and font and draws it; the pane shows the picture (PaneView). Once a
// page is in, the pane keeps the picture, its links and text, and the document's
// innerHTML, nothing else.
class HelperWebPane final : public IWebPane {
    Q_OBJECT
public:
    HelperWebPane(const WebPaneLimits& limits, QWidget* parent);
    ~HelperWebPane() override;

    QWidget* widget() override;
    bool Silent() const override { return m_silent; }
    void setSilent(bool silent) override { m_silent = silent; }
    void Navigate(const QString& url) override;
    QString documentElementInnerHtml() const override;

private:
    void onMessage(const tarvo::webprotocol::Message& message);
    void dropNavigation();

    WebPaneLimits m_limits;
    QPointer<PaneView> m_view;
    PageHelper* m_navigation = nullptr;
    QString m_innerHtml;
    bool m_hasDocument = false;
    bool m_silent = false;
};

std::unique_ptr<IWebPaneFactory> createHelperWebPaneFactory(const WebPaneLimits& limits);

} // namespace tarvo::platform::webpane
