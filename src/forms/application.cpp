#include "forms/application.h"

#include "forms/framelock.h"

namespace tarvo::forms {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    // Only the window thread: Qt's own threads (the bus, the window system's reader)
    // deliver events too, and must never wait for a frame.
    if (std::this_thread::get_id() != m_windowThread)
        return QApplication::notify(receiver, event);
    const FrameLock::Hold hold;
    return QApplication::notify(receiver, event);
}

} // namespace tarvo::forms
