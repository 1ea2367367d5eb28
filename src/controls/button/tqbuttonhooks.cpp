#include "controls/button/tqbutton.h"

#include "controls/button/buttonshell.h"

namespace tarvo {

// The button's reach beyond its own surface: its tip window, the popup menu attached to
// it, the message hook on its window and its top-level window, and the two shell methods.

void tqbutton::showTooltip() {
    button::TooltipContent content;
    content.text = p().toolTip;
    content.title = p().tooltipTitle;
    content.icon = p().toolTipIcon;
    content.type = p().toolTipType;
    content.backColor = p().tooltipBackColor;
    content.rightToLeft = p().tooltipRightToLeft;
    m_tooltip.enterHot(content, p().enabled, state().popupShown, state().visualState == StateDown);
}

void tqbutton::SetPopupMenu(QObject* menu, int align, int flags, QAction* defaultMenu) {
    if (m_popup.set(menu, align, flags, defaultMenu))
        m_model.state().popupSet = true;
}

void tqbutton::UnsetPopupMenu() {
    m_popup.unset();
    m_model.state().popupSet = false;
    m_model.state().popupShown = false;
}

void tqbutton::showPopupMenu() {
    ButtonState& s = m_model.state();
    m_tooltip.pointerPressed();
    switch (m_popup.open(*this, s.popupShown, s.skipNextLeave)) {
    case button::PopupMenu::Outcome::ClosedElsewhere:
        s.mouseButtonDown = false;
        s.mouseOver = false;
        s.spaceDown = false;
        s.visualState = StateNormal;
        Refresh();
        break;
    case button::PopupMenu::Outcome::ControlEnded: // nothing of the button is left to touch
    case button::PopupMenu::Outcome::ClosedOverControl:
    case button::PopupMenu::Outcome::NotOpened:
        break;
    }
}

void tqbutton::installHooks() {
    button::HookHandlers handlers;
    handlers.leave = [this] { onMouseLeave(); };
    handlers.activated = [this] { onParentActivation(true); };
    handlers.deactivated = [this] { onParentActivation(false); };
    handlers.redraw = [this] { onThemeChanged(); };
    // The application is always themed, so colour changes are followed too.
    m_hook.install(this, std::move(handlers), true);
}

void tqbutton::removeHooks() {
    m_hook.remove();
}

bool tqbutton::OpenWebsite(const QString& sAddress) {
    return button::openWebsite(sAddress);
}

void tqbutton::About() {
    button::showAbout(this);
}

} // namespace tarvo
