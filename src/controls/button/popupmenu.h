#pragma once

#include "controls/button/popupleave.h"

#include <QAction>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QSize>

#include <functional>
#include <optional>

namespace tarvo::button {

// Popup flags the button passes on: the menu's right edge, or its bottom edge, on the anchor.
inline constexpr int PopupRightAlign = 8;
inline constexpr int PopupBottomAlign = 32;

struct PopupPosition {
    QPoint anchor; // in the control's pixels
    int flags = 0;
};

// The anchor and flags for PopupAlign 0-7 on a client of the given size; nothing for any
// other value.
std::optional<PopupPosition> popupPosition(int align, int flags, QSize client);

// The menu's top-left corner for an anchor and the flags.
QPoint menuTopLeft(QPoint anchor, int flags, QSize menuSize);

// The popup menu attached to a button, and its modal run.
class PopupMenu final {
public:
    enum class Outcome {
        NotOpened,         // nothing attached, or an alignment without a menu
        ClosedOverControl, // closed with the pointer on the button: counts as shown
        ClosedElsewhere,   // closed away from the button: the button returns to Normal
        ControlEnded,      // the button was destroyed while its menu was open
    };
    using WidgetUnderCursor = std::function<QWidget*()>;

    PopupMenu();

    // SetPopupMenu: anything but a menu leaves the state as it was. Returns whether the
    // menu is now attached.
    bool set(QObject* menu, int align, int flags = 0, QAction* defaultItem = nullptr);
    // UnsetPopupMenu (the button clears its PopupShown with it).
    void unset();

    bool isSet() const { return m_set; }
    int align() const { return m_align; }
    int flags() const { return m_flags; }
    QMenu* menu() const { return m_menu; }
    QAction* defaultItem() const { return m_defaultItem; }

    // Opens the menu modally at the anchor that PopupAlign gives on control and returns
    // when it has closed, keeping the button's PopupShown and SkipNextLeave as it goes
    // (they are not touched again once the control has ended).
    Outcome open(QWidget& control, bool& popupShown, bool& skipNextLeave);

    // Which widget is under the pointer when the menu closes; replaceable for tests.
    void setWidgetUnderCursor(WidgetUnderCursor find) { m_widgetUnderCursor = std::move(find); }

private:
    QPointer<QMenu> m_menu;
    QPointer<QAction> m_defaultItem;
    int m_align = 0;
    int m_flags = 0;
    bool m_set = false;
    WidgetUnderCursor m_widgetUnderCursor;
};

} // namespace tarvo::button
