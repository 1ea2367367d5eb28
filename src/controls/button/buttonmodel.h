#pragma once

#include "forms/colour.h"
#include "forms/font.h"
#include "forms/picture.h"

#include <QString>

namespace tarvo {

enum ButtonStyleValue : int {
    StyleStandard = 0,
    StyleFlat = 1,
    StyleRoundedGradient = 2,
    StyleSideShaded = 3,
    StyleHighlight = 4,
    StyleHighlightWarm = 5,
    StyleRoundedLarge = 6,
    StyleRoundedLight = 7,
    StyleHoverWarm = 8,
    StyleRoundedSoft = 9,
    StyleSplitGradient = 10,
    StyleHoverEdge = 11,
    StyleFlatToolbar = 12,
    StyleThemed = 13,
};
inline constexpr int ButtonStyleCount = 14;

enum ButtonVisualState : int { StateNormal = 0, StateHot = 1, StateDown = 2 };
enum ButtonMode : int { ModePush = 0, ModeCheck = 1, ModeOption = 2 };
inline constexpr int SchemeCustom = 3;

// Mouse buttons and shift states as the events carry them.
inline constexpr int LeftButton = 1;
inline constexpr int ShiftAlt = 4;

// Key codes the state machine looks at.
inline constexpr int KeyEnter = 13;
inline constexpr int KeyEscape = 27;
inline constexpr int KeySpace = 32;
inline constexpr int KeyLeft = 37;
inline constexpr int KeyUp = 38;
inline constexpr int KeyRight = 39;
inline constexpr int KeyDown = 40;

inline const QString DefaultCaption = QStringLiteral("tqbutton");

// The stored properties of a button, with the defaults a missing key reads as (colour
// defaults that are system colours are filled in translated when the bag is read).
struct ButtonProperties {
    int buttonStyle = StyleFlat;
    bool showFocusRect = false;
    forms::Font font;
    forms::OleColor backColor = 0;
    bool enabled = true;
    QString caption = DefaultCaption;
    bool value = false;
    qint16 mousePointer = 0;
    bool handPointer = false;
    forms::Picture mouseIcon = forms::PictureObject::none();
    forms::Picture pictureNormal = forms::PictureObject::none();
    forms::Picture pictureHot = forms::PictureObject::none();
    forms::Picture pictureDown = forms::PictureObject::none();
    bool pictureShadow = false;
    quint8 pictureOpacity = 255;
    quint8 pictureOpacityOnOver = 255;
    int disabledPictureMode = 0;
    bool picturePushOnHover = false;
    int pictureEffectOnOver = 1;
    int pictureEffectOnDown = 2;
    forms::OleColor maskColor = 0xE0E0E0;
    bool useMaskColor = true;
    int captionEffects = 0;
    int mode = ModePush;
    int pictureAlign = 1;
    int captionAlign = 1;
    forms::OleColor foreColor = 0;
    forms::OleColor foreColorHover = 0;
    bool dropDownSeparator = false;
    QString tooltipTitle;
    QString toolTip;
    int toolTipIcon = 0;
    int toolTipType = 0;
    forms::OleColor tooltipBackColor = 0;
    bool rightToLeft = false;        // the caption's copy
    bool tooltipRightToLeft = false; // the tooltip's copy
    int dropDownSymbol = 0;
    int colorScheme = 0;
};

// What the control knows of its situation besides the stored properties.
struct ButtonState {
    int visualState = StateNormal;
    bool mouseButtonDown = false;
    bool mouseOver = false;
    bool hasFocus = false;
    bool spaceDown = false;
    bool parentActive = false;
    bool showAsDefault = false;
    bool userMode = true; // the host runs the program (not a designer)
    // Popup-menu bookkeeping.
    bool popupSet = false;
    bool popupShown = false;
    bool skipNextLeave = false;
    // The most recent mouse press, replayed by a double click.
    int lastButton = 0;
    int lastShift = 0;
    float lastX = 0;
    float lastY = 0;
};

// The events, in the order the control declares them.
enum class ButtonEvent : int {
    Click,
    DblClick,
    MouseEnter,
    MouseLeave,
    MouseMove,
    MouseUp,
    MouseDown,
    KeyDown,
    KeyUp,
    KeyPress,
};

struct EventArgs {
    int button = 0; // or the key code
    int shift = 0;
    float x = 0;
    float y = 0;
};

// What the state machine asks of the widget that holds it.
class ButtonHost {
public:
    virtual ~ButtonHost() = default;
    virtual void redraw() = 0;
    virtual void raise(ButtonEvent event, const EventArgs& args) = 0;
    // Turns off every other option button of the same container.
    virtual void runOptionGroup() {}
    virtual void doEvents() {}
    virtual void captureMouse() {}
    virtual void releaseCapture() {}
    virtual void focusNeighbour(bool /*next*/) {}
    virtual void showHandCursor() {}
    virtual void requestLeaveNotification() {}
    virtual void showTooltip() {}
    virtual void showPopupMenu() {}
};

// The button's properties and its state machine: input in, state changes, redraw
// requests and events out through the host. Pure: no widget, testable alone.
class ButtonModel final {
public:
    explicit ButtonModel(ButtonHost& host)
        : m_host(host) {}

    ButtonProperties& props() { return m_props; }
    const ButtonProperties& props() const { return m_props; }
    ButtonState& state() { return m_state; }
    const ButtonState& state() const { return m_state; }

    // Setter side effects that belong to the model (the widget stores the rest).
    void setButtonStyle(int style); // 380 outside 0..13
    void setColorScheme(int scheme);
    void applyScheme();
    void setBackColor(forms::OleColor colour);
    void setValue(bool value);
    void setMode(int mode);
    void setHandPointer(bool on);
    void setMouseIcon(forms::Picture picture);
    void setPictureNormal(forms::Picture picture);
    // False when the picture went into PictureNormal instead (nothing is redrawn then).
    bool setPictureHot(forms::Picture picture);
    bool setPictureDown(forms::Picture picture);

    // The Value step of a click: check mode inverts, option mode runs the group and sets.
    void valueStep();

    // Input. Mouse positions are in pixels; `size` is the client size.
    void mouseDown(int button, int shift, float x, float y);
    void mouseMove(bool over);
    void mouseUp(int button, int shift, float x, float y, int width, int height);
    void dblClick();
    void mouseLeave();
    void keyDown(int keyCode, int shift);
    void keyUp(int keyCode, int shift);
    void keyPress(int keyAscii);
    void accessKeyPress(int keyAscii);
    void gotFocus();
    void lostFocus();
    void ambientChanged(const QString& name, bool displayAsDefault);
    void parentActivated();
    void parentDeactivated();

    // Redraw step 2: a set check or option button shows Down (not in styles 0 and 6).
    void applySetLook();
    bool isSet() const { return m_props.mode != ModePush && m_props.value; }

private:
    void raise(ButtonEvent event, const EventArgs& args = {}) { m_host.raise(event, args); }
    // Moves to state and redraws when it changed.
    void become(int state);
    void raiseClick();

    ButtonHost& m_host;
    ButtonProperties m_props;
    ButtonState m_state;
};

} // namespace tarvo
