#pragma once

#include <QString>
#include <QUrl>

namespace tarvo::webprotocol {

// The pane's own page for a navigation that failed: its document's innerHTML (as the
// parser would give it) and the markup shown. It never carries the maker's marker.
struct ErrorPage {
    QString innerHtml;
    QString html;
};
ErrorPage errorPage(const QUrl& url, const QString& why);

} // namespace tarvo::webprotocol
