#pragma once

#include "forms/picture.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <optional>

namespace tarvo {

// Caption kinds of a progress bar; any other value draws no caption.
enum ProgressCaptionFormat : int {
    CaptionNone = 0,
    CaptionValue = 1,
    CaptionPercent = 2,
    CaptionPercent1 = 3,
    CaptionPercent2 = 4,
    CaptionRelPercent = 5,
    CaptionRelPercent1 = 6,
    CaptionRelPercent2 = 7,
    CaptionCustomText = 99,
};

// Fill directions; any other value draws no fill.
enum ProgressOrientation : int {
    OrientationHorizontal = 0,
    OrientationVertical = 1,
};

// What a progress bar needs to draw itself and to map the pointer to a value. The
// fields are taken as they are: values read from a property bag are never checked.
struct ProgressBarModel {
    int value = 0;
    int min = 0;
    int max = 100;
    int span = 100; // cached max - min; drawing and pointer mapping use only this
    int captionFormat = CaptionNone;
    int orientation = OrientationHorizontal;
    QString captionCustom;
    forms::Picture fore = forms::PictureObject::none();
};

// The part of the foreground picture to copy onto a surface of the given pixel size, or
// nothing when there is no fill (empty range, a fill size outside 16 bits, an unknown
// orientation, a zero span).
std::optional<QRect> fillArea(const ProgressBarModel& model, QSize scale);

// Writes the caption into out, reusing its storage; an empty caption when the format
// draws none or the number cannot be formatted.
void captionText(const ProgressBarModel& model, QString& out);
QString captionText(const ProgressBarModel& model);

// The value under the pointer at x, y (surface pixels), clamped into [min, max].
// Raises Overflow (6) when the position cannot be mapped (a zero-sized surface).
int valueFromPoint(const ProgressBarModel& model, QSize scale, float x, float y);

} // namespace tarvo
