#pragma once

#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>

#include <array>
#include <optional>

namespace tarvo {

// The twelve parts of the title bar, in the order of the table of parts.
enum class TitlePart : int {
    ImageL,     // left cap (picture box); drag area
    Image1,     // title image; drag area
    ImageM,     // middle of the strip, stretched; drag area
    ImageR,     // right cap; drag area
    PicMinU,    // minimise button
    PicMaxU,    // maximise button
    PicCloseU,  // close button
    PicMin,     // hover look of the minimise button (source only)
    PicMax,     // hover look of the maximise button (source only)
    PicClose,   // hover look of the close button (source only)
    PicUn,      // look of an unavailable button (source only)
    Picture000, // texture tile (source only)
};
inline constexpr int TitlePartCount = 12;

// Fixed measures of the strip and its buttons, in pixels.
namespace titlebar {
inline constexpr int HeightTwips = 360;
inline constexpr int MiddleInset = 14;  // ImageM width = width - 14
inline constexpr int RightCapInset = 9; // ImageR left = width - 9
inline constexpr int MinInset = 72;     // PicMinU left = width - 72
inline constexpr int MaxInset = 48;     // PicMaxU left = width - 48
inline constexpr int CloseInset = 25;   // PicCloseU left = width - 25
inline constexpr QSize ButtonSize{21, 20};
inline constexpr int FrameTop = 21; // the frame lines start below the strip
} // namespace titlebar

bool isDragPart(TitlePart part);
bool isButton(TitlePart part);           // PicMinU, PicMaxU, PicCloseU
TitlePart hoverSource(TitlePart button); // PicMin, PicMax, PicClose
// Whether a position in a button box's pixels still counts as over it: a position
// exactly on the width or height does; anything left, above or beyond does not.
bool insideBox(QPointF at, QSize box);

// The host window's shape for an outer size of w x h pixels: full width from row 4
// down, the top corners cut 4, 2, 1, 1 pixels in on rows 0 to 3; bottom corners square.
QRegion hostRegion(int w, int h);

// Places, stacking, availability and the retained looks of the parts; no widgets.
class TitleBarModel final {
public:
    TitleBarModel(); // the design-time places

    const QRect& rect(TitlePart part) const { return m_rects[index(part)]; }
    QRect& rect(TitlePart part) { return m_rects[index(part)]; }

    bool enabled(TitlePart part) const { return m_enabled[index(part)]; }
    void setEnabled(TitlePart part, bool enabled) { m_enabled[index(part)] = enabled; }

    // What a button box's retained image holds over its normal picture: nothing (the
    // normal look), or a copy of a source part's picture (hover or unavailable look).
    std::optional<TitlePart> overlay(TitlePart button) const;
    void setOverlay(TitlePart button, std::optional<TitlePart> source);

    // Parts from the bottom of the stack to the top: the images (the title over the
    // strip), then the picture boxes.
    static const std::array<TitlePart, TitlePartCount>& stacking();

    // The topmost enabled part under a point of a control of the given size; disabled
    // parts let the pointer through to the control itself.
    std::optional<TitlePart> hitTest(QPoint at, QSize control) const;

private:
    static std::size_t index(TitlePart part) { return std::size_t(part); }

    std::array<QRect, TitlePartCount> m_rects;
    std::array<bool, TitlePartCount> m_enabled;
    std::array<std::optional<TitlePart>, TitlePartCount> m_overlays;
};

} // namespace tarvo
