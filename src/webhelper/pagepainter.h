#pragma once

#include "webprotocol/message.h"
#include "webprotocol/request.h"

#include <QHash>
#include <QImage>
#include <QString>
#include <QUrl>

namespace tarvo::webhelper {

// Lays the markup out as the pane would, at the pane's width with its font, and draws it:
// the Page message with the picture (within the caps for the pane), the link areas in it
// and the page's plain text. It loads nothing: the pictures given are all it shows.
webprotocol::Message paintPage(const QUrl& url, const QString& html,
                               const QHash<QUrl, QImage>& pictures,
                               const webprotocol::Request& request);

} // namespace tarvo::webhelper
