#include "controls/button/buttonmodel.h"

#include "controls/button/buttoncolour.h"
#include "controls/button/popupleave.h"
#include "runtime/errors.h"

#include <array>

namespace tarvo {

namespace {

constexpr int Unchanged = -1;

// Per style: the colour scheme choosing it applies, and the ShowFocusRect it sets.
struct StyleDefaults {
    int scheme;
    bool focusRect;
};
constexpr std::array<StyleDefaults, ButtonStyleCount> styleDefaults = {{
    {0, true},          // 0 Standard
    {0, true},          // 1 Flat
    {0, false},         // 2 RoundedGradient
    {2, false},         // 3 SideShaded
    {0, false},         // 4 Highlight
    {Unchanged, false}, // 5 HighlightWarm
    {0, false},         // 6 RoundedLarge
    {0, false},         // 7 RoundedLight
    {0, false},         // 8 HoverWarm
    {2, true},          // 9 RoundedSoft
    {0, false},         // 10 SplitGradient
    {Unchanged, false}, // 11 HoverEdge
    {Unchanged, false}, // 12 FlatToolbar
    {Unchanged, false}, // 13 Themed
}};

} // namespace

void ButtonModel::setButtonStyle(int style) {
    if (style < 0 || style >= ButtonStyleCount)
        runtime::raise(runtime::ErrorCode::InvalidPropertyValue, QStringLiteral("ButtonStyle"));
    m_props.buttonStyle = style;
    const StyleDefaults& defaults = styleDefaults[std::size_t(style)];
    if (defaults.scheme != Unchanged)
        m_props.colorScheme = defaults.scheme;
    m_props.showFocusRect = defaults.focusRect;
    if (style == StyleHighlight)
        m_props.picturePushOnHover = true;
    applyScheme();
}

void ButtonModel::setColorScheme(int scheme) {
    m_props.colorScheme = scheme;
    applyScheme();
}

void ButtonModel::applyScheme() {
    m_props.backColor =
        schemeBackColor(m_props.buttonStyle, m_props.colorScheme, m_props.backColor);
    m_props.foreColor = TranslateColor(forms::syscolour::ButtonText);
}

void ButtonModel::setBackColor(forms::OleColor colour) {
    m_props.backColor = colour;
    if (m_props.buttonStyle != StyleHighlight)
        m_props.colorScheme = SchemeCustom;
}

void ButtonModel::setValue(bool value) {
    if (m_props.mode != ModePush) {
        m_props.value = value;
        if (!value)
            m_state.visualState = StateNormal;
    } else {
        m_state.visualState = StateNormal;
    }
    m_host.redraw();
}

void ButtonModel::setMode(int mode) {
    m_props.mode = mode;
    if (mode == ModePush)
        m_state.visualState = StateNormal;
    m_host.redraw();
}

void ButtonModel::setHandPointer(bool on) {
    m_props.handPointer = on;
    if (on)
        m_props.mousePointer = 0;
}

void ButtonModel::setMouseIcon(forms::Picture picture) {
    const bool empty = forms::isEmpty(picture);
    m_props.mouseIcon = picture ? std::move(picture) : forms::PictureObject::none();
    if (empty) {
        m_props.mousePointer = 0;
        return;
    }
    m_props.handPointer = false;
    m_props.mousePointer = 99;
}

void ButtonModel::setPictureNormal(forms::Picture picture) {
    m_props.pictureNormal = picture ? std::move(picture) : forms::PictureObject::none();
    if (forms::isEmpty(m_props.pictureNormal)) {
        m_props.pictureHot = forms::PictureObject::none();
        m_props.pictureDown = forms::PictureObject::none();
    }
}

bool ButtonModel::setPictureHot(forms::Picture picture) {
    if (!picture)
        picture = forms::PictureObject::none();
    if (forms::isEmpty(m_props.pictureNormal)) {
        m_props.pictureNormal = std::move(picture);
        return false;
    }
    m_props.pictureHot = std::move(picture);
    return true;
}

bool ButtonModel::setPictureDown(forms::Picture picture) {
    if (!picture)
        picture = forms::PictureObject::none();
    if (forms::isEmpty(m_props.pictureNormal)) {
        m_props.pictureNormal = std::move(picture);
        return false;
    }
    m_props.pictureDown = std::move(picture);
    return true;
}

void ButtonModel::valueStep() {
    if (m_props.mode == ModeCheck) {
        m_props.value = !m_props.value;
    } else if (m_props.mode == ModeOption) {
        m_host.runOptionGroup();
        m_props.value = true;
    }
}

void ButtonModel::become(int state) {
    if (m_state.visualState == state)
        return;
    m_state.visualState = state;
    m_host.redraw();
}

void ButtonModel::raiseClick() {
    raise(ButtonEvent::Click);
}

void ButtonModel::applySetLook() {
    if (isSet() && m_props.buttonStyle != StyleStandard && m_props.buttonStyle != StyleRoundedLarge)
        m_state.visualState = StateDown;
}

// ---- mouse ----

void ButtonModel::mouseDown(int button, int shift, float x, float y) {
    m_state.lastButton = button;
    m_state.lastShift = shift;
    m_state.lastX = x;
    m_state.lastY = y;
    if (m_props.handPointer)
        m_host.showHandCursor();
    if (button != LeftButton && !m_state.popupShown)
        return;
    m_state.hasFocus = true;
    m_state.mouseButtonDown = true;
    if (!m_state.spaceDown)
        become(StateDown);
    if (!m_state.popupSet)
        raise(ButtonEvent::MouseDown, {button, shift, x, y});
    else if (!m_state.popupShown)
        m_host.showPopupMenu();
}

void ButtonModel::mouseMove(bool over) {
    if (m_props.handPointer)
        m_host.showHandCursor();
    m_state.mouseOver = over;
    if (over) {
        m_host.requestLeaveNotification();
        raise(ButtonEvent::MouseEnter);
    }
    if (m_state.spaceDown)
        return;
    if (over && !m_state.mouseButtonDown) {
        if (m_state.visualState != StateHot) {
            m_state.visualState = StateHot;
            m_host.redraw();
            m_host.showTooltip();
        }
    } else {
        become(over ? StateDown : StateNormal);
    }
}

void ButtonModel::mouseUp(int button, int shift, float x, float y, int width, int height) {
    if (m_props.handPointer)
        m_host.showHandCursor();
    if (m_state.popupSet) {
        m_state.mouseButtonDown = false;
        m_state.popupShown = false;
        m_state.visualState = StateNormal;
        m_host.redraw();
        return;
    }
    if (button == LeftButton) {
        // Cleared on every left release, inside or not: a press released outside must
        // not leave the button looking pressed when the pointer comes back.
        m_state.mouseButtonDown = false;
        if (x > 0 && x < width && y > 0 && y < height) {
            if (m_props.mode == ModeCheck) {
                valueStep();
                m_host.redraw();
            } else {
                valueStep();
            }
            m_state.visualState = StateNormal;
            m_host.redraw();
            raiseClick();
        }
    }
    raise(ButtonEvent::MouseUp, {button, shift, x, y});
}

void ButtonModel::dblClick() {
    if (m_props.handPointer)
        m_host.showHandCursor();
    if (m_state.lastButton != LeftButton)
        return;
    m_host.captureMouse();
    m_state.visualState = StateDown;
    m_host.redraw();
    mouseDown(m_state.lastButton, m_state.lastShift, m_state.lastX, m_state.lastY);
    if (!m_state.popupSet)
        raise(ButtonEvent::DblClick);
    else if (!m_state.popupShown)
        m_host.showPopupMenu();
}

void ButtonModel::mouseLeave() {
    m_state.mouseOver = false;
    if (button::absorbPopupLeave(m_state.popupSet, m_state.popupShown, m_state.skipNextLeave))
        return;
    if (m_state.spaceDown)
        return;
    become(StateNormal);
    raise(ButtonEvent::MouseLeave);
}

// ---- keyboard ----

void ButtonModel::keyDown(int keyCode, int shift) {
    switch (keyCode) {
    case KeyEnter:
        raiseClick();
        break;
    case KeySpace:
        if (shift == ShiftAlt)
            return; // the window menu's key: not ours
        if (m_state.mouseButtonDown) {
            become(m_state.mouseOver ? StateDown : StateNormal);
        } else {
            m_state.spaceDown = true;
            valueStep();
            become(StateDown);
        }
        m_host.captureMouse();
        break;
    case KeyLeft:
    case KeyUp:
        m_host.focusNeighbour(false);
        break;
    case KeyRight:
    case KeyDown:
        m_host.focusNeighbour(true);
        break;
    default:
        if (m_state.spaceDown) {
            m_state.spaceDown = false;
            m_state.visualState = StateNormal;
            m_host.redraw();
        }
        break;
    }
    raise(ButtonEvent::KeyDown, {keyCode, shift});
}

void ButtonModel::keyUp(int keyCode, int shift) {
    if (keyCode != KeySpace)
        return;
    m_host.releaseCapture();
    if (m_state.mouseOver && m_state.mouseButtonDown) {
        become(StateDown);
    } else {
        become(m_state.mouseOver ? StateHot : StateNormal);
        if (!m_state.mouseButtonDown && m_state.spaceDown)
            raiseClick();
    }
    raise(ButtonEvent::KeyUp, {keyCode, shift});
    m_state.spaceDown = false;
    m_state.mouseButtonDown = false;
}

void ButtonModel::keyPress(int keyAscii) {
    raise(ButtonEvent::KeyPress, {keyAscii});
}

void ButtonModel::accessKeyPress(int keyAscii) {
    if (!m_props.enabled)
        return;
    m_state.spaceDown = false;
    m_state.mouseButtonDown = false;
    if (m_props.mode != ModePush) {
        if (keyAscii == KeyEscape || keyAscii == KeyEnter)
            return;
        valueStep();
        m_host.redraw();
    }
    m_host.doEvents();
    raiseClick();
}

// ---- focus and activation ----

void ButtonModel::gotFocus() {
    m_state.hasFocus = true;
}

void ButtonModel::lostFocus() {
    m_state.hasFocus = false;
    m_state.mouseButtonDown = false;
    m_state.spaceDown = false;
    m_state.visualState = m_state.parentActive && m_state.mouseOver ? StateHot : StateNormal;
    m_host.redraw();
    if (m_state.showAsDefault)
        m_host.redraw();
}

void ButtonModel::ambientChanged(const QString& name, bool displayAsDefault) {
    m_state.showAsDefault = displayAsDefault;
    if (name.compare(QStringLiteral("DisplayAsDefault"), Qt::CaseInsensitive) == 0 ||
        name.compare(QStringLiteral("BackColor"), Qt::CaseInsensitive) == 0)
        m_host.redraw();
}

void ButtonModel::parentActivated() {
    m_state.parentActive = true;
    m_state.visualState = StateNormal;
    m_host.redraw();
    if (m_state.showAsDefault)
        m_host.redraw();
}

void ButtonModel::parentDeactivated() {
    m_state.mouseButtonDown = false;
    m_state.spaceDown = false;
    m_state.hasFocus = false;
    m_state.parentActive = false;
    m_state.visualState = StateNormal;
    m_host.redraw();
}

} // namespace tarvo
