#pragma once

#include <QPainter>
#include <QRect>

namespace tarvo::platform::webpane {

// The keyboard focus on a link area of a page's picture: a ring just outside the area,
// black around white, which shows on any colour the page may have.
void paintFocusRing(QPainter& painter, const QRect& area);

} // namespace tarvo::platform::webpane
