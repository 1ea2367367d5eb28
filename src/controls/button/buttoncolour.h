#pragma once

#include "forms/colour.h"

#include <QColor>

namespace tarvo {

// Colour arithmetic of the button's drawing. Colours are 0x00BBGGRR values; the
// results are plain RGB values (never system colours).

// The RGB value of a colour (system colours through the palette); 0xFFFFFFFF (-1) when
// the value names no colour.
forms::OleColor TranslateColor(forms::OleColor colour);
// Adds amount x 255 (rounded halves to even) to each channel, clamped at 255 when the
// amount is positive and at 0 otherwise.
forms::OleColor ShiftColor(forms::OleColor colour, float amount);
// Per channel the mean of the two colours, halves to even.
forms::OleColor MixColor(forms::OleColor colour1, forms::OleColor colour2);

inline QColor toRgb(forms::OleColor colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// The colour scheme table: the BackColor that applying `scheme` to `style` gives;
// `current` stays for the custom scheme 3 of the styles with built-in sets.
forms::OleColor schemeBackColor(int style, int scheme, forms::OleColor current);

} // namespace tarvo
