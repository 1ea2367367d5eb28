#pragma once

#include "controls/button/buttonmodel.h"
#include "forms/colour.h"
#include "forms/gdi.h"
#include "forms/picture.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace tarvo::button {

// Picture effects (PictureEffectOnOver, PictureEffectOnDown); other values act as none.
inline constexpr int EffectNone = 0;
inline constexpr int EffectBrighten = 1;
inline constexpr int EffectDarken = 2;

// Icons are drawn onto a square of this colour, which is then their transparent colour.
inline constexpr forms::OleColor IconKeyColour = 0xC0C0C0;

// A channel lookup table of 256 entries, as the control builds them once at creation.
using ChannelTableView = std::span<const std::uint8_t, 256>;

// The picture for the state: a pressed button (or a check or option button that is on)
// shows PictureDown, falling back to PictureHot and PictureNormal; a hot one PictureHot,
// falling back to PictureNormal; otherwise PictureNormal.
forms::Picture choosePicture(int visualState, bool valueOn, const forms::Picture& normal,
                             const forms::Picture& hot, const forms::Picture& down);

// A picture's size in screen pixels, from its HIMETRIC size; 0 x 0 for no picture.
QSize picturePixels(const forms::Picture& picture);

// Styles that move the caption, picture and symbol by (1, 1) while pressed.
bool contentMovesWhenPressed(int buttonStyle);

// Where the picture goes, once the caption has been placed.
struct PicturePlacement {
    QSize client;             // W x H
    forms::gdi::Rect caption; // the placed caption rectangle
    QString captionText;
    int pictureAlign = 1;
    QSize picture;         // PW x PH
    bool dropDown = false; // a drop-down symbol or separator is shown
};

// PictureRect for the placement: by PictureAlign, centred when the caption is blank or
// the alignment is 4, moved left to make room for a drop-down symbol. (A pressed button
// then moves it with the rest of its content, see contentMovesWhenPressed.)
forms::gdi::Rect placePicture(const PicturePlacement& placement);

// What compositing needs of the button besides the picture itself.
struct BlendSettings {
    BlendSettings(ChannelTableView brightenTable, ChannelTableView darkenTable)
        : brighten(brightenTable)
        , darken(darkenTable) {}

    ChannelTableView brighten;
    ChannelTableView darken;
    int visualState = StateNormal;
    bool enabled = true;
    int pictureOpacity = 255;
    int pictureOpacityOnOver = 255;
    int disabledPictureMode = 0;
    int pictureEffectOnOver = EffectBrighten;
    int pictureEffectOnDown = EffectDarken;
    bool useMaskColor = true;
};

// The effect and opacity of the state: a disabled button fades (52), turns grey at
// three quarters of PictureOpacity (mode 1) or hides its picture (other modes).
int effectFor(const BlendSettings& settings);
struct Opacity {
    int value = 255;
    bool grey = false;
};
Opacity opacityFor(const BlendSettings& settings);

// The grey of a pixel: round(round(0.3 red) + 0.59 green + 0.11 blue), halves to even.
int greyOf(int red, int green, int blue);

// The transparent colour of a picture: fixed for icons, MaskColor for bitmaps.
forms::OleColor keyColourFor(const forms::Picture& picture, forms::OleColor maskColor);

// Composites a picture over what target holds at rect, pixel by pixel, in one pass: the
// state's effect and opacity, grey when disabled in mode 1, the key colour left out when
// UseMaskColor is set, pictures with an alpha channel by their own alpha; with a flat
// colour the picture's shape is drawn in that colour (a silhouette). What falls outside
// the target image is clipped. Nothing for no picture or an empty rectangle.
void blendPicture(QImage& target, const forms::gdi::Rect& rect, const forms::Picture& picture,
                  forms::OleColor keyColour, std::optional<forms::OleColor> flat,
                  const BlendSettings& settings);

// How the picture is drawn at PictureRect.
struct PictureDrawing {
    forms::Picture picture;
    forms::gdi::Rect rect;
    forms::OleColor maskColor = 0xE0E0E0;
    bool pushOnHover = false;
    bool shadow = false;
    // The shadow's two silhouettes: ShiftColor(G, 0.05) two pixels off and
    // ShiftColor(G, -0.1) one pixel off, G being MixColor(&H808080, BackColor).
    forms::OleColor shadowFar = 0;
    forms::OleColor shadowNear = 0;
};

// Draws the picture: lifted above a grey silhouette while hot with push-on-hover, else
// in place, then with its shadow when asked.
void drawPicture(QImage& target, const PictureDrawing& drawing, const BlendSettings& settings);

} // namespace tarvo::button
