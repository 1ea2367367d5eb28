#pragma once

#include <QColor>
#include <QPalette>

#include <cstdint>

namespace tarvo::forms {

// 32-bit colour in the layout 0x00BBGGRR; a set high bit names system colour n (0x80000000 + n).
using OleColor = quint32;

constexpr OleColor rgb(int red, int green, int blue) {
    return OleColor(red & 0xFF) | (OleColor(green & 0xFF) << 8) | (OleColor(blue & 0xFF) << 16);
}

constexpr bool isSystemColour(OleColor c) {
    return (c & 0x80000000u) != 0;
}

namespace syscolour {
inline constexpr OleColor ScrollBar = 0x80000000;
inline constexpr OleColor Desktop = 0x80000001;
inline constexpr OleColor ActiveCaption = 0x80000002;
inline constexpr OleColor Window = 0x80000005;
inline constexpr OleColor WindowFrame = 0x80000006;
inline constexpr OleColor WindowText = 0x80000008;
inline constexpr OleColor Highlight = 0x8000000D;
inline constexpr OleColor HighlightText = 0x8000000E;
inline constexpr OleColor ButtonFace = 0x8000000F;
inline constexpr OleColor ButtonShadow = 0x80000010;
inline constexpr OleColor GrayText = 0x80000011;
inline constexpr OleColor ButtonText = 0x80000012;
inline constexpr OleColor ButtonHighlight = 0x80000014;
inline constexpr OleColor ButtonDarkShadow = 0x80000015;
inline constexpr OleColor ButtonLight = 0x80000016;
inline constexpr OleColor InfoText = 0x80000017;
inline constexpr OleColor InfoBackground = 0x80000018;
} // namespace syscolour

// Translates a colour value to an actual colour; system colours go through the palette
// (the application's palette when none is given). An unknown system index gives black.
QColor toQColor(OleColor colour);
QColor toQColor(OleColor colour, const QPalette& palette);
OleColor fromQColor(const QColor& colour);

} // namespace tarvo::forms
