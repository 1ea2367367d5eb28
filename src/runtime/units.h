#pragma once

#include <QSize>

namespace tarvo::runtime {

// Window positions are given in twips; 15 twips per pixel at 96 dots per inch.
inline constexpr int TwipsPerPixel = 15;
inline constexpr int DotsPerInch = 96;

// Twips to whole pixels, halves to even.
int twipsToPixels(int twips);
constexpr int pixelsToTwips(int pixels) {
    return pixels * TwipsPerPixel;
}

// Picture sizes are reported in HIMETRIC (hundredths of a millimetre).
int pixelsToHimetric(int pixels);         // pixels x 2540 / 96, nearest
double himetricToPixels(double himetric); // exact, unrounded
QSize himetricToPixels(QSize himetric);   // each side rounded halves to even

} // namespace tarvo::runtime
