#pragma once

#include "webprotocol/message.h"

#include <QList>
#include <QTextBrowser>

namespace tarvo::platform::webpane {

// Shows a pane's page. It loads nothing by itself: pictures come only with the page, and
// any other resource (local files included) is refused. A click on a web link opens the
// desktop's browser; the pane keeps its page.
class PaneView final : public QTextBrowser {
    Q_OBJECT
public:
    explicit PaneView(QWidget* parent = nullptr);

    // The document keeps the pictures it shows, and nothing else does.
    void showPage(const QString& html, const QList<tarvo::webprotocol::Picture>& pictures);

    QVariant loadResource(int type, const QUrl& name) override;
};

} // namespace tarvo::platform::webpane
