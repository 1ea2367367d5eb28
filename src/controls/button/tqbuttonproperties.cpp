#include "controls/button/tqbutton.h"

#include "controls/button/buttonpersistence.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

namespace tarvo {

namespace {

quint8 toByte(int value, const char* name) {
    if (value < 0 || value > 255)
        runtime::raise(runtime::ErrorCode::Overflow, QString::fromLatin1(name));
    return quint8(value);
}

} // namespace

void tqbutton::InitProperties(const QString& displayName, const forms::Font& ambient) {
    m_ambient = ambient;
    p() = newButtonProperties(displayName, ambient);
    m_model.applyScheme();
    m_surface.setForeColor(p().foreColor);
    updateAccessKey();
    applyCursor();
    afterStyleChange();
}

void tqbutton::ReadProperties(const forms::PropertyBag& bag, const forms::Font& ambient,
                              bool userMode) {
    m_ambient = ambient;
    // Stored values are taken as they are: the style's colours are not recomputed.
    p() = readButtonProperties(bag, ambient);
    m_model.state().userMode = userMode;
    m_surface.setForeColor(p().foreColor);
    setEnabled(p().enabled);
    updateAccessKey();
    applyCursor();
    afterStyleChange();
    if (userMode)
        runtime::step([this] { installHooks(); });
}

void tqbutton::WriteProperties(forms::PropertyBag& bag) const {
    writeButtonProperties(bag, p(), m_ambient);
}

void tqbutton::setButtonStyle(int style) {
    m_model.setButtonStyle(style);
    afterStyleChange();
}

void tqbutton::setColorScheme(int scheme) {
    m_model.setColorScheme(scheme);
    Refresh();
}

void tqbutton::setBackColor(forms::OleColor colour) {
    m_model.setBackColor(colour);
    Refresh();
}

void tqbutton::setForeColor(forms::OleColor colour) {
    p().foreColor = colour;
    m_surface.setForeColor(colour);
    Refresh();
}

void tqbutton::setForeColorHover(forms::OleColor colour) {
    p().foreColorHover = colour;
    m_surface.setForeColor(colour);
    Refresh();
}

void tqbutton::setShowFocusRect(bool on) {
    p().showFocusRect = on;
}

void tqbutton::setButtonFont(forms::Font font) {
    p().font = font ? std::move(font) : m_ambient;
    Refresh();
}

void tqbutton::setCaption(const QString& caption) {
    p().caption = caption;
    updateAccessKey();
    Refresh();
}

void tqbutton::setValue(bool value) {
    m_model.setValue(value);
}

void tqbutton::setMode(int mode) {
    m_model.setMode(mode);
}

void tqbutton::setCaptionAlign(int align) {
    p().captionAlign = align;
    Refresh();
}

void tqbutton::setCaptionEffects(int effects) {
    p().captionEffects = effects;
    Refresh();
}

void tqbutton::setRightToLeft(bool on) {
    p().rightToLeft = on;
    p().tooltipRightToLeft = on;
    Refresh();
}

void tqbutton::setDropDownSymbol(int symbol) {
    p().dropDownSymbol = symbol;
    Refresh();
}

void tqbutton::setDropDownSeparator(bool on) {
    p().dropDownSeparator = on;
    Refresh();
}

void tqbutton::setMousePointer(qint64 shape) {
    p().mousePointer = runtime::narrowInt16(shape);
    applyCursor();
}

void tqbutton::setHandPointer(bool on) {
    m_model.setHandPointer(on);
    applyCursor();
}

void tqbutton::setMouseIcon(forms::Picture picture) {
    m_model.setMouseIcon(std::move(picture));
    applyCursor();
}

void tqbutton::setPictureNormal(forms::Picture picture) {
    m_model.setPictureNormal(std::move(picture));
    Refresh();
}

void tqbutton::setPictureHot(forms::Picture picture) {
    if (m_model.setPictureHot(std::move(picture)))
        Refresh();
}

void tqbutton::setPictureDown(forms::Picture picture) {
    if (m_model.setPictureDown(std::move(picture)))
        Refresh();
}

void tqbutton::setPictureShadow(bool on) {
    p().pictureShadow = on;
    Refresh();
}

void tqbutton::setPictureOpacity(int opacity) {
    p().pictureOpacity = toByte(opacity, "PictureOpacity");
    Refresh();
}

void tqbutton::setPictureOpacityOnOver(int opacity) {
    p().pictureOpacityOnOver = toByte(opacity, "PictureOpacityOnOver");
    Refresh();
}

void tqbutton::setDisabledPictureMode(int mode) {
    p().disabledPictureMode = mode;
    Refresh();
}

void tqbutton::setPicturePushOnHover(bool on) {
    p().picturePushOnHover = on;
    Refresh();
}

void tqbutton::setPictureEffectOnOver(int effect) {
    p().pictureEffectOnOver = effect;
    Refresh();
}

void tqbutton::setPictureEffectOnDown(int effect) {
    p().pictureEffectOnDown = effect;
    Refresh();
}

void tqbutton::setPictureAlign(int align) {
    p().pictureAlign = align;
    if (!forms::isEmpty(p().pictureNormal))
        Refresh();
}

void tqbutton::setMaskColor(forms::OleColor colour) {
    p().maskColor = colour;
    Refresh();
}

void tqbutton::setUseMaskColor(bool on) {
    p().useMaskColor = on;
    if (!forms::isEmpty(p().pictureNormal))
        Refresh();
}

void tqbutton::setButtonToolTip(const QString& text) {
    p().toolTip = text;
    Refresh();
}

void tqbutton::setTooltipTitle(const QString& title) {
    p().tooltipTitle = title;
    Refresh();
}

void tqbutton::setToolTipIcon(int icon) {
    p().toolTipIcon = icon;
    Refresh();
}

void tqbutton::setToolTipType(int type) {
    p().toolTipType = type;
    Refresh();
}

void tqbutton::setTooltipBackColor(forms::OleColor colour) {
    p().tooltipBackColor = colour;
    Refresh();
}

} // namespace tarvo
