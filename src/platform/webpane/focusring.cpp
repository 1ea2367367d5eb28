#include "platform/webpane/focusring.h"

namespace tarvo::platform::webpane {

void paintFocusRing(QPainter& painter, const QRect& area) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    // A rectangle outlined with a one-pixel pen covers one pixel more each way than the
    // area it is given.
    painter.setPen(QPen(Qt::black, 0));
    painter.drawRect(area.adjusted(-2, -2, 1, 1));
    painter.setPen(QPen(Qt::white, 0));
    painter.drawRect(area.adjusted(-1, -1, 0, 0));
    painter.restore();
}

} // namespace tarvo::platform::webpane
