#include "controls/button/popupmenu.h"

#include "forms/framelock.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace tarvo::button {

std::optional<PopupPosition> popupPosition(int align, int flags, QSize client) {
    const int W = client.width();
    const int H = client.height();
    // The right-edge flag is merged in rather than added: the flags are stored back, and
    // adding 8 at every opening would turn them into other flags on the next one.
    switch (align) {
    case 0:
        return PopupPosition{QPoint(0, H), flags};
    case 1:
        return PopupPosition{QPoint(0, 0), PopupBottomAlign};
    case 2:
        return PopupPosition{QPoint(0, 0), flags | PopupRightAlign};
    case 3:
        return PopupPosition{QPoint(W, 0), flags};
    case 4:
        return PopupPosition{QPoint(0, 0), PopupBottomAlign | PopupRightAlign};
    case 5:
        return PopupPosition{QPoint(0, H), flags | PopupRightAlign};
    case 6:
        return PopupPosition{QPoint(W, 0), PopupBottomAlign};
    case 7:
        return PopupPosition{QPoint(W, H), flags};
    default:
        return std::nullopt;
    }
}

QPoint menuTopLeft(QPoint anchor, int flags, QSize menuSize) {
    QPoint topLeft = anchor;
    if (flags & PopupRightAlign)
        topLeft.rx() -= menuSize.width();
    if (flags & PopupBottomAlign)
        topLeft.ry() -= menuSize.height();
    return topLeft;
}

PopupMenu::PopupMenu()
    : m_widgetUnderCursor([] { return QApplication::widgetAt(QCursor::pos()); }) {}

bool PopupMenu::set(QObject* menu, int align, int flags, QAction* defaultItem) {
    auto* qmenu = qobject_cast<QMenu*>(menu);
    if (!qmenu)
        return false;
    m_menu = qmenu;
    m_align = align;
    m_flags = flags;
    m_defaultItem = defaultItem;
    m_set = true;
    return true;
}

void PopupMenu::unset() {
    m_menu = nullptr;
    m_defaultItem = nullptr;
    m_set = false;
}

PopupMenu::Outcome PopupMenu::open(QWidget& control, bool& popupShown, bool& skipNextLeave) {
    if (!m_set || !m_menu)
        return Outcome::NotOpened;
    // Opening the menu takes the pointer from the button; that leave must not count.
    skipNextLeave = true;
    const std::optional<PopupPosition> position = popupPosition(m_align, m_flags, control.size());
    if (!position) {
        skipNextLeave = false;
        return Outcome::NotOpened;
    }
    m_flags = position->flags;

    QMenu& menu = *m_menu;
    const QPointer<QAction> previousDefault = menu.defaultAction();
    if (m_defaultItem)
        menu.setDefaultAction(m_defaultItem);
    menu.ensurePolished();
    const QPoint anchor = control.mapToGlobal(position->anchor);
    // A handler run from the menu may end the button, and with it this object.
    const QPointer<QWidget> alive(&control);
    {
        // The menu's loop waits like a yield: frames go on meanwhile.
        const forms::FrameLock::Release release;
        menu.exec(menuTopLeft(anchor, position->flags, menu.sizeHint()));
    }
    if (!alive)
        return Outcome::ControlEnded;
    // The menu and its items belong to the host; its own default comes back.
    if (m_menu && m_defaultItem)
        m_menu->setDefaultAction(previousDefault);

    if (m_widgetUnderCursor && m_widgetUnderCursor() == &control) {
        popupShown = true;
        return Outcome::ClosedOverControl;
    }
    popupShown = false;
    skipNextLeave = false;
    return Outcome::ClosedElsewhere;
}

} // namespace tarvo::button
