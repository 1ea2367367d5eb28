#pragma once

#include "controls/button/buttonhook.h"
#include "controls/button/buttonmodel.h"
#include "controls/button/buttonpainter.h"
#include "controls/button/popupmenu.h"
#include "controls/button/tooltipwindow.h"
#include "forms/colour.h"
#include "forms/font.h"
#include "forms/picture.h"
#include "forms/propertybag.h"
#include "forms/surface.h"

#include <QRegion>
#include <QWidget>

class QShortcut;

namespace tarvo {

// A self-drawn push, check or option button with fourteen looks, colour schemes, a
// caption with effects, a drop-down symbol and pictures for its states.
//
// Naming: the enabled state is QWidget's own (setEnabled; Enabled() reads the
// button's own flag). The caption font is ButtonFont()/setButtonFont and the tip text
// setButtonToolTip, so as not to hide QWidget's members.
//
// Every setter stores its value and redraws where the property's look depends on it.
// Events are signals, raised synchronously from inside the operation causing them.
class tqbutton final : public QWidget, private ButtonHost {
    Q_OBJECT
public:
    explicit tqbutton(QWidget* parent = nullptr);
    ~tqbutton() override;

    int ButtonStyle() const { return p().buttonStyle; }
    void setButtonStyle(int style); // 380 outside 0..13; applies the style's scheme
    int ColorScheme() const { return p().colorScheme; }
    void setColorScheme(int scheme);
    forms::OleColor BackColor() const { return p().backColor; }
    void setBackColor(forms::OleColor colour); // the scheme becomes custom (not in style 4)
    forms::OleColor ForeColor() const { return p().foreColor; }
    void setForeColor(forms::OleColor colour);
    forms::OleColor ForeColorHover() const { return p().foreColorHover; }
    void setForeColorHover(forms::OleColor colour);
    bool ShowFocusRect() const { return p().showFocusRect; }
    void setShowFocusRect(bool on);
    forms::Font ButtonFont() const { return p().font; }
    void setButtonFont(forms::Font font);
    bool Enabled() const { return p().enabled; }
    QString Caption() const { return p().caption; }
    void setCaption(const QString& caption);
    bool Value() const { return p().value; }
    void setValue(bool value);
    int Mode() const { return p().mode; }
    void setMode(int mode);
    int CaptionAlign() const { return p().captionAlign; }
    void setCaptionAlign(int align);
    int CaptionEffects() const { return p().captionEffects; }
    void setCaptionEffects(int effects);
    bool RightToLeft() const { return p().rightToLeft; }
    void setRightToLeft(bool on);
    int DropDownSymbol() const { return p().dropDownSymbol; }
    void setDropDownSymbol(int symbol);
    bool DropDownSeparator() const { return p().dropDownSeparator; }
    void setDropDownSeparator(bool on);

    qint16 MousePointer() const { return p().mousePointer; }
    void setMousePointer(qint64 shape); // Overflow (6) outside 16 bits
    bool HandPointer() const { return p().handPointer; }
    void setHandPointer(bool on);
    forms::Picture MouseIcon() const { return p().mouseIcon; }
    void setMouseIcon(forms::Picture picture);

    forms::Picture PictureNormal() const { return p().pictureNormal; }
    void setPictureNormal(forms::Picture picture);
    forms::Picture PictureHot() const { return p().pictureHot; }
    void setPictureHot(forms::Picture picture);
    forms::Picture PictureDown() const { return p().pictureDown; }
    void setPictureDown(forms::Picture picture);
    bool PictureShadow() const { return p().pictureShadow; }
    void setPictureShadow(bool on);
    int PictureOpacity() const { return p().pictureOpacity; }
    void setPictureOpacity(int opacity); // Overflow (6) outside 0..255
    int PictureOpacityOnOver() const { return p().pictureOpacityOnOver; }
    void setPictureOpacityOnOver(int opacity);
    int DisabledPictureMode() const { return p().disabledPictureMode; }
    void setDisabledPictureMode(int mode);
    bool PicturePushOnHover() const { return p().picturePushOnHover; }
    void setPicturePushOnHover(bool on);
    int PictureEffectOnOver() const { return p().pictureEffectOnOver; }
    void setPictureEffectOnOver(int effect);
    int PictureEffectOnDown() const { return p().pictureEffectOnDown; }
    void setPictureEffectOnDown(int effect);
    int PictureAlign() const { return p().pictureAlign; }
    void setPictureAlign(int align);
    forms::OleColor MaskColor() const { return p().maskColor; }
    void setMaskColor(forms::OleColor colour);
    bool UseMaskColor() const { return p().useMaskColor; }
    void setUseMaskColor(bool on);

    QString ToolTip() const { return p().toolTip; }
    void setButtonToolTip(const QString& text);
    QString TooltipTitle() const { return p().tooltipTitle; }
    void setTooltipTitle(const QString& title);
    int ToolTipIcon() const { return p().toolTipIcon; }
    void setToolTipIcon(int icon);
    int ToolTipType() const { return p().toolTipType; }
    void setToolTipType(int type);
    forms::OleColor TooltipBackColor() const { return p().tooltipBackColor; }
    void setTooltipBackColor(forms::OleColor colour);

    quintptr hwnd() const { return quintptr(effectiveWinId()); }

    // Attaches a menu opened by a left press, placed by align (0-7) with flags and
    // defaultMenu shown as its default item; anything but a QMenu is ignored.
    void SetPopupMenu(QObject* menu, int align, int flags = 0, QAction* defaultMenu = nullptr);
    void UnsetPopupMenu();
    const button::PopupMenu& popupMenu() const { return m_popup; }
    // Opens the address with the desktop's usual application; false when it could not.
    bool OpenWebsite(const QString& sAddress);
    void About();

    // The button's own tip, and whether the message hook is on (only at run time).
    const button::ButtonTooltip& tooltip() const { return m_tooltip; }
    bool isHooked() const { return m_hook.isInstalled(); }

    // The one redraw entry point.
    void Refresh();

    // Host life cycle: a new instance placed by a designer, loading a stored one (in run
    // mode unless told otherwise), saving one.
    void InitProperties(const QString& displayName, const forms::Font& ambient);
    void ReadProperties(const forms::PropertyBag& bag, const forms::Font& ambient,
                        bool userMode = true);
    void WriteProperties(forms::PropertyBag& bag) const;
    // The host's DisplayAsDefault, or another ambient property, changed.
    void AmbientChanged(const QString& name, bool displayAsDefault);

    // Entry points of the message hook: the pointer left the control, the window that
    // holds it was activated or deactivated, the system's colours or theme changed.
    void onMouseLeave();
    void onParentActivation(bool active);
    void onThemeChanged();

    const ButtonModel& model() const { return m_model; }
    const ButtonState& state() const { return m_model.state(); }
    forms::Surface& surface() { return m_surface; }
    const forms::Surface& surface() const { return m_surface; }
    const ButtonPainter& painter() const { return m_painter; }
    const QRegion& windowRegion() const { return m_region; }

signals:
    void Click();
    void DblClick();
    void MouseEnter();
    void MouseLeave();
    void MouseMove(int button, int shift, float x, float y); // declared, never raised
    void MouseUp(int button, int shift, float x, float y);
    void MouseDown(int button, int shift, float x, float y);
    void KeyDown(int keyCode, int shift);
    void KeyUp(int keyCode, int shift);
    void KeyPress(int keyAscii);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const ButtonProperties& p() const { return m_model.props(); }
    ButtonProperties& p() { return m_model.props(); }

    // ButtonHost
    void redraw() override { Refresh(); }
    void raise(ButtonEvent event, const EventArgs& args) override;
    void runOptionGroup() override;
    void doEvents() override;
    void captureMouse() override;
    void releaseCapture() override;
    void focusNeighbour(bool next) override;
    void showHandCursor() override;
    void showTooltip() override;
    void showPopupMenu() override;

    // Where the tooltip window, popup menu and message hook attach.
    void installHooks();
    void removeHooks();

    void applyRegion();
    void applyCursor();
    void updateAccessKey();
    void afterStyleChange();

    ButtonModel m_model;
    forms::Font m_ambient;
    forms::Surface m_surface;
    ButtonPainter m_painter;
    QRegion m_region;
    QShortcut* m_accessKey = nullptr;
    button::ButtonTooltip m_tooltip{this};
    button::PopupMenu m_popup;
    button::ButtonHook m_hook;
};

} // namespace tarvo
