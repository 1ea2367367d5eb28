#include "controls/button/picturestep.h"

#include "controls/button/buttoncolour.h"
#include "controls/button/colourtables.h"
#include "controls/button/pictureeffects.h"

namespace tarvo {

QRect placeButtonPicture(const PictureStep& step) {
    button::PicturePlacement placement;
    placement.client = QSize(step.W, step.H);
    placement.caption = forms::gdi::fromQRect(step.captionRect);
    placement.captionText = step.props.caption;
    placement.pictureAlign = step.props.pictureAlign;
    placement.picture = step.size;
    placement.dropDown = step.marker;
    return forms::gdi::toQRect(button::placePicture(placement));
}

void drawButtonPicture(const PictureStep& step, const QRect& pictureRect) {
    const ButtonProperties& p = step.props;
    button::BlendSettings settings(BrightenTable(), DarkenTable());
    settings.visualState = step.state.visualState;
    settings.enabled = p.enabled;
    settings.pictureOpacity = p.pictureOpacity;
    settings.pictureOpacityOnOver = p.pictureOpacityOnOver;
    settings.disabledPictureMode = p.disabledPictureMode;
    settings.pictureEffectOnOver = p.pictureEffectOnOver;
    settings.pictureEffectOnDown = p.pictureEffectOnDown;
    settings.useMaskColor = p.useMaskColor;

    button::PictureDrawing drawing;
    drawing.picture = step.picture;
    drawing.rect = forms::gdi::fromQRect(pictureRect);
    drawing.maskColor = p.maskColor;
    drawing.pushOnHover = p.picturePushOnHover;
    drawing.shadow = p.pictureShadow;
    const forms::OleColor grey = MixColor(0x808080, TranslateColor(p.backColor));
    drawing.shadowFar = ShiftColor(grey, 0.05f);
    drawing.shadowNear = ShiftColor(grey, -0.1f);
    button::drawPicture(step.image, drawing, settings);
}

} // namespace tarvo
