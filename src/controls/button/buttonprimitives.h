#pragma once

#include "forms/colour.h"

#include <QImage>
#include <QRect>

namespace tarvo::buttondraw {

// The button's drawing primitives on a 32-bit image, colours as RGB values
// (0x00BBGGRR). Everything outside the image is clipped.

// A one-pixel line from (x1, y1) towards (x2, y2); the end point is not drawn.
void DrawLine(QImage& image, int x1, int y1, int x2, int y2, forms::OleColor colour);
// A one-pixel frame of the rectangle (x, y, x + width, y + height).
void FrameBox(QImage& image, int x, int y, int width, int height, forms::OleColor colour);
// Fills the rectangle (left, top, right, bottom).
void FillBox(QImage& image, forms::OleColor colour, const QRect& rect);
// Gradient directions.
enum GradientDirection : int { Horizontal = 0, Vertical = 1 };
// Step i of n is c1 + i * (c2 - c1) / n per channel (integer division), one colour per
// column (n = width - 1) or row (n = height - 1); a single step is the mean of the two.
// Built in memory and copied to (x, y) in one block; nothing when width or height < 1.
void DrawGradient(QImage& image, int x, int y, int width, int height, forms::OleColor colour1,
                  forms::OleColor colour2, int direction);
// The pixels (1, 1), (1, H-2), (W-2, 1), (W-2, H-2).
void CornerDots(QImage& image, forms::OleColor colour);

// Classic three-dimensional edges round a rectangle (left, top, right, bottom): light
// top and left sides, dark bottom and right sides, in the palette's button colours.
void RaisedEdge(QImage& image, const QRect& rect);     // outer and inner raised
void ThinRaisedEdge(QImage& image, const QRect& rect); // inner raised only
void SunkenEdge(QImage& image, const QRect& rect);     // outer and inner sunken
// The dotted focus rectangle: every other pixel of the border inverted, starting with
// the top-left one.
void FocusRect(QImage& image, const QRect& rect);

} // namespace tarvo::buttondraw
