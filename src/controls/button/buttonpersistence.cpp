#include "controls/button/buttonpersistence.h"

#include "controls/button/buttoncolour.h"
#include "controls/propertyreaders.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

namespace tarvo {

namespace {

using forms::OleColor;

// Defaults that are system colours, as their RGB value now.
struct ColourDefaults {
    OleColor back = TranslateColor(forms::syscolour::ButtonFace);
    OleColor text = TranslateColor(forms::syscolour::ButtonText);
    OleColor tooltip = TranslateColor(forms::syscolour::InfoBackground);
};

bool readBool(const forms::PropertyBag& bag, const QString& key, bool defaultValue) {
    return bag.read(key, defaultValue).toBool();
}

QString readString(const forms::PropertyBag& bag, const QString& key, const QString& defaultValue) {
    return bag.read(key, defaultValue).toString();
}

quint8 readByte(const forms::PropertyBag& bag, const QString& key, quint8 defaultValue) {
    const qint64 number = readNumber(bag, key, defaultValue);
    if (number < 0 || number > 255)
        runtime::raise(runtime::ErrorCode::Overflow, key);
    return quint8(number);
}

forms::Picture readPicture(const forms::PropertyBag& bag, const QString& key) {
    return bag.readPicture(key, forms::PictureObject::none());
}

} // namespace

ButtonProperties readButtonProperties(const forms::PropertyBag& bag, const forms::Font& ambient) {
    const ColourDefaults d;
    ButtonProperties p;
    p.buttonStyle = readInt32(bag, QStringLiteral("ButtonStyle"), StyleFlat);
    p.showFocusRect = readBool(bag, QStringLiteral("ShowFocusRect"), false);
    p.font = bag.readFont(QStringLiteral("Font"), ambient);
    p.backColor = readColour(bag, QStringLiteral("BackColor"), d.back);
    p.enabled = readBool(bag, QStringLiteral("Enabled"), true);
    p.caption = readString(bag, QStringLiteral("Caption"), DefaultCaption);
    p.value = readBool(bag, QStringLiteral("Value"), false);
    p.mousePointer = runtime::narrowInt16(readNumber(bag, QStringLiteral("MousePointer"), 0));
    p.handPointer = readBool(bag, QStringLiteral("HandPointer"), false);
    p.mouseIcon = readPicture(bag, QStringLiteral("MouseIcon"));
    p.pictureNormal = readPicture(bag, QStringLiteral("PictureNormal"));
    p.pictureHot = readPicture(bag, QStringLiteral("PictureHot"));
    p.pictureDown = readPicture(bag, QStringLiteral("PictureDown"));
    p.pictureShadow = readBool(bag, QStringLiteral("PictureShadow"), false);
    p.pictureOpacity = readByte(bag, QStringLiteral("PictureOpacity"), 255);
    p.pictureOpacityOnOver = readByte(bag, QStringLiteral("PictureOpacityOnOver"), 255);
    p.disabledPictureMode = readInt32(bag, QStringLiteral("DisabledPictureMode"), 0);
    p.picturePushOnHover = readBool(bag, QStringLiteral("PicturePushOnHover"), false);
    p.pictureEffectOnOver = readInt32(bag, QStringLiteral("PictureEffectOnOver"), 1);
    p.pictureEffectOnDown = readInt32(bag, QStringLiteral("PictureEffectOnDown"), 2);
    p.maskColor = readColour(bag, QStringLiteral("MaskColor"), 0xE0E0E0);
    p.useMaskColor = readBool(bag, QStringLiteral("UseMaskColor"), true);
    p.captionEffects = readInt32(bag, QStringLiteral("CaptionEffects"), 0);
    p.mode = readInt32(bag, QStringLiteral("Mode"), ModePush);
    p.pictureAlign = readInt32(bag, QStringLiteral("PictureAlign"), 1);
    p.captionAlign = readInt32(bag, QStringLiteral("CaptionAlign"), 1);
    p.foreColor = readColour(bag, QStringLiteral("ForeColor"), d.text);
    p.foreColorHover = readColour(bag, QStringLiteral("ForeColorHover"), d.text);
    p.dropDownSeparator = readBool(bag, QStringLiteral("DropDownSeparator"), false);
    p.tooltipTitle = readString(bag, QStringLiteral("TooltipTitle"), QString());
    p.toolTip = readString(bag, QStringLiteral("ToolTip"), QString());
    p.toolTipIcon = readInt32(bag, QStringLiteral("TooltipIcon"), 0);
    p.toolTipType = readInt32(bag, QStringLiteral("TooltipType"), 0);
    p.tooltipBackColor = readColour(bag, QStringLiteral("TooltipBackColor"), d.tooltip);
    p.rightToLeft = readBool(bag, QStringLiteral("RightToLeft"), false);
    p.tooltipRightToLeft = readBool(bag, QStringLiteral("RightToLeft"), false);
    p.dropDownSymbol = readInt32(bag, QStringLiteral("DropDownSymbol"), 0);
    p.colorScheme = readInt32(bag, QStringLiteral("ColorScheme"), 0);
    return p;
}

void writeButtonProperties(forms::PropertyBag& bag, const ButtonProperties& p,
                           const forms::Font& ambient) {
    const ColourDefaults d;
    const auto colour = [&](const QString& key, OleColor value, OleColor defaultValue) {
        bag.write(key, qint32(value), qint32(defaultValue));
    };
    bag.write(QStringLiteral("ButtonStyle"), p.buttonStyle, int(StyleFlat));
    bag.write(QStringLiteral("ShowFocusRect"), p.showFocusRect, false);
    bag.write(QStringLiteral("Enabled"), p.enabled, true);
    bag.writeFont(QStringLiteral("Font"), p.font, ambient);
    colour(QStringLiteral("BackColor"), p.backColor, d.back);
    bag.write(QStringLiteral("Caption"), p.caption, DefaultCaption);
    colour(QStringLiteral("ForeColor"), p.foreColor, d.text);
    colour(QStringLiteral("ForeColorHover"), p.foreColorHover, d.text);
    bag.write(QStringLiteral("Mode"), p.mode, int(ModePush));
    bag.write(QStringLiteral("Value"), p.value, false);
    bag.write(QStringLiteral("MousePointer"), int(p.mousePointer), 0);
    bag.write(QStringLiteral("HandPointer"), p.handPointer, false);
    writePicture(bag, QStringLiteral("MouseIcon"), p.mouseIcon);
    writePicture(bag, QStringLiteral("PictureNormal"), p.pictureNormal);
    writePicture(bag, QStringLiteral("PictureHot"), p.pictureHot);
    writePicture(bag, QStringLiteral("PictureDown"), p.pictureDown);
    bag.write(QStringLiteral("PictureAlign"), p.pictureAlign, 1);
    bag.write(QStringLiteral("PictureEffectOnOver"), p.pictureEffectOnOver, 1);
    bag.write(QStringLiteral("PictureEffectOnDown"), p.pictureEffectOnDown, 2);
    bag.write(QStringLiteral("PicturePushOnHover"), p.picturePushOnHover, false);
    bag.write(QStringLiteral("PictureShadow"), p.pictureShadow, false);
    bag.write(QStringLiteral("PictureOpacity"), int(p.pictureOpacity), 255);
    bag.write(QStringLiteral("PictureOpacityOnOver"), int(p.pictureOpacityOnOver), 255);
    bag.write(QStringLiteral("DisabledPictureMode"), p.disabledPictureMode, 0);
    // Stored against an empty text, so it is written whatever its value.
    bag.write(QStringLiteral("CaptionEffects"), p.captionEffects, QString());
    bag.write(QStringLiteral("UseMaskColor"), p.useMaskColor, true);
    colour(QStringLiteral("MaskColor"), p.maskColor, 0xE0E0E0);
    bag.write(QStringLiteral("CaptionAlign"), p.captionAlign, 1);
    bag.write(QStringLiteral("ToolTip"), p.toolTip, QString());
    bag.write(QStringLiteral("TooltipType"), p.toolTipType, 0);
    bag.write(QStringLiteral("TooltipIcon"), p.toolTipIcon, 0);
    bag.write(QStringLiteral("TooltipTitle"), p.tooltipTitle, QString());
    colour(QStringLiteral("TooltipBackColor"), p.tooltipBackColor, d.tooltip);
    bag.write(QStringLiteral("RightToLeft"), p.rightToLeft, false);
    bag.write(QStringLiteral("DropDownSymbol"), p.dropDownSymbol, 0);
    bag.write(QStringLiteral("DropDownSeparator"), p.dropDownSeparator, false);
    bag.write(QStringLiteral("ColorScheme"), p.colorScheme, 0);
}

ButtonProperties newButtonProperties(const QString& displayName, const forms::Font& ambient) {
    // Start from what reading an empty bag gives: every default, colours translated.
    ButtonProperties p = readButtonProperties(forms::PropertyBag(), ambient);
    p.showFocusRect = true;
    p.enabled = true;
    p.buttonStyle = StyleThemed;
    p.caption = displayName;
    forms::FontDesc tahoma = ambient ? *ambient : forms::FontDesc();
    tahoma.face = QStringLiteral("Tahoma");
    p.font = forms::makeFont(tahoma);
    p.pictureOpacity = 255;
    p.pictureOpacityOnOver = 255;
    p.pictureAlign = 1;
    p.captionAlign = 1;
    p.useMaskColor = true;
    p.maskColor = 0xE0E0E0;
    return p;
}

} // namespace tarvo
