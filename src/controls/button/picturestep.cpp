#include "controls/button/picturestep.h"

namespace tarvo {

// Pictures are not composited yet: the effects module takes over these two entry
// points. Until then no picture is placed and nothing is drawn.

QRect placeButtonPicture(const PictureStep& step) {
    Q_UNUSED(step);
    return {};
}

void drawButtonPicture(const PictureStep& step, const QRect& pictureRect) {
    Q_UNUSED(step);
    Q_UNUSED(pictureRect);
}

} // namespace tarvo
