#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace tarvo::testing {

// Takes the desktop's part for QDesktopServices::setUrlHandler(scheme, &catcher, "open"):
// records what it is asked to open and opens nothing.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

} // namespace tarvo::testing
