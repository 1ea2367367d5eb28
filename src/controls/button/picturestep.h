#pragma once

#include "controls/button/buttonmodel.h"

#include <QImage>
#include <QRect>
#include <QSize>

namespace tarvo {

// The button's picture inside DrawContent: what is known when it is placed (step 6)
// and drawn (step 9), handed to the picture effects.
struct PictureStep {
    const ButtonProperties& props;
    const ButtonState& state;
    QImage& image;
    forms::Picture picture; // the one chosen for the state (step 1); may be empty
    QSize size;             // its size in pixels (PW x PH)
    QRect captionRect;      // the placed caption
    int W = 0;
    int H = 0;
    bool marker = false; // a drop-down symbol or separator is shown
};

// Where the picture goes; an empty rectangle when there is none to draw.
QRect placeButtonPicture(const PictureStep& step);
// Draws the picture (with its shadow or lift) at pictureRect.
void drawButtonPicture(const PictureStep& step, const QRect& pictureRect);

} // namespace tarvo
