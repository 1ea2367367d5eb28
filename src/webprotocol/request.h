#pragma once

#include "webprotocol/navigationlimits.h"

#include <QFont>
#include <QSize>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <optional>

namespace tarvo::webprotocol {

// One navigation as the window asks the helper for it, on the helper's command line:
//   tarvo-web --timeout <ms> --pane <width>x<height> --ratio <r> --scroll-bar <px>
//             --font <font> <url>
// The page is drawn at the pane's width, less the scroll bar's when it is taller than the
// pane, with the pane's font and device pixel ratio.
struct Request {
    QUrl url;
    std::chrono::milliseconds timeout = PageTimeout;
    QSize pane{1, 1};
    qreal ratio = 1;
    int scrollBar = 0;
    QFont font;
};

QStringList toArguments(const Request& request);
// Nothing when the arguments are not a request.
std::optional<Request> fromArguments(const QStringList& arguments);

} // namespace tarvo::webprotocol
