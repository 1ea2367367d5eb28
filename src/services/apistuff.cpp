#include "services/apistuff.h"

#include "runtime/codepage.h"

namespace tarvo {

using namespace runtime;
using namespace forms;
using namespace platform;

APIStuff::APIStuff(ITrayIcon& tray)
    : m_tray(tray) {}

APIStuff::~APIStuff() {
    if (m_hook)
        RemoveTrayIcon();
}

void APIStuff::InstallTrayIcon(QWidget* form) {
    m_form = form;
    if (!m_hook)
        m_hook =
            std::make_unique<WindowHook>(form, [this](QEvent* e) { return TrayWindowProc(e); });

    // The tip keeps what it holds: empty at the first install.
    m_record.window = form;
    m_record.id = TrayIconId;
    m_record.flags = notifyflag::Message | notifyflag::Icon | notifyflag::Tip | notifyflag::State |
                     notifyflag::Info;
    m_record.callbackMessage = TrayCallbackMessage;
    m_record.icon = form ? form->windowIcon() : QIcon();
    m_tray.notify(NotifyAction::Add, m_record);
}

void APIStuff::RemoveTrayIcon() {
    m_record.flags = 0;
    m_tray.notify(NotifyAction::Delete, m_record);
    m_hook.reset();
}

void APIStuff::SetTrayTip(const QString& text) {
    // The tip field holds 128 characters: the text and its NUL, filled with blanks or
    // cut; the shell's copy is the same field in code page 936, cut at 128 bytes.
    QString field = text + QChar(u'\0');
    field = field.leftJustified(TrayTipBytes, u' ', true);
    m_record.tip = toAnsiField(field, TrayTipBytes);
    m_record.flags = notifyflag::Tip;
    m_tray.notify(NotifyAction::Modify, m_record);
}

void APIStuff::SetTrayIcon(const Picture& picture) {
    if (!picture || picture->type() != PictureType::Icon)
        return;
    m_record.icon = picture->icon();
    m_record.flags = notifyflag::Icon;
    m_tray.notify(NotifyAction::Modify, m_record);
}

void APIStuff::HideWindow(QWidget* window) const {
    if (!window)
        return;
    if (m_tray.isAvailable())
        window->hide();
    else
        window->showMinimized();
}

bool APIStuff::TrayWindowProc(QEvent* event) {
    if (event->type() != TrayCallbackEvent::eventType())
        return false;
    const auto* callback = static_cast<TrayCallbackEvent*>(event);
    if (callback->callbackMessage() != TrayCallbackMessage)
        return false;

    switch (callback->mouseMessage()) {
    case WmLButtonUp:
        if (m_form) {
            if (m_form->isHidden())
                m_form->show();
            else
                HideWindow(m_form);
        }
        return false; // the window's own handling still sees the message
    case WmRButtonUp:
        return true;
    default:
        return false;
    }
}

} // namespace tarvo
