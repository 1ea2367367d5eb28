#pragma once

#include <QApplication>

#include <thread>

namespace tarvo::forms {

// The application object of a program whose frames may run on a thread of their own:
// the window thread holds the frame lock while it delivers each event, so that nothing
// it runs meets a frame half drawn. It waits for events without it.
class Application final : public QApplication {
public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    const std::thread::id m_windowThread = std::this_thread::get_id();
};

} // namespace tarvo::forms
