#pragma once

#include "forms/colour.h"

#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPolygon>
#include <QRect>
#include <QString>

class QStyle;

namespace tarvo::button {

// Longer tip text wraps onto further lines at this width.
inline constexpr int TooltipMaxWidth = 240;

// The title icons (ToolTipIcon): 0 none, 1 information, 2 warning, 3 error.
inline constexpr int TooltipIconNone = 0;
inline constexpr int TooltipIconInfo = 1;
inline constexpr int TooltipIconWarning = 2;
inline constexpr int TooltipIconError = 3;

// ToolTipType: 0 a standard rectangular tip, 1 a balloon.
inline constexpr int TooltipStandard = 0;
inline constexpr int TooltipBalloon = 1;

// What a tip shows, from the button's tooltip properties.
struct TooltipContent {
    QString text;  // ToolTip; an empty text shows no tip
    QString title; // TooltipTitle, drawn bold
    int icon = TooltipIconNone;
    int type = TooltipStandard;
    forms::OleColor backColor = 0; // 0 keeps the desktop's tooltip colour
    bool rightToLeft = false;
};

// Where the parts of a tip go, in the tip window's pixels.
struct TooltipLayout {
    QSize size;     // the whole window, stem included
    QRect body;     // the rectangle, or the balloon without its stem
    QRect iconRect; // empty without an icon
    QRect titleRect;
    QRect textRect;
    QPolygon stem;         // a balloon's pointer; empty for a rectangle
    bool stemAbove = true; // the pointer at the top edge (the tip below the button)
};

// The tip's fonts and title icon: the desktop's tooltip font, bold for the title, and
// the style's standard information, warning and error icons.
struct TooltipLook {
    QFont font;
    QFont titleFont;
    QIcon icon; // null for none
    int iconSize = 16;
};
TooltipLook tooltipLook(const TooltipContent& content, const QStyle* style);

// Lays the tip out: title line (icon and bold title) above the text, the text wrapped
// at TooltipMaxWidth, mirrored for right-to-left; a balloon gets rounded corners and a
// pointer above or below its body.
TooltipLayout layoutTooltip(const TooltipContent& content, const TooltipLook& look,
                            bool stemAbove = true);

// Draws the tip; outside a balloon's shape the image stays transparent.
QImage renderTooltip(const TooltipContent& content, const TooltipLook& look,
                     const TooltipLayout& layout, const QPalette& palette);

} // namespace tarvo::button
