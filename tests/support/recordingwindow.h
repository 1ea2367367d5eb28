#pragma once

#include "forms/windowhook.h"

#include <QList>
#include <QWidget>

namespace tarvo::testing {

// A window's own message handling: records every tray callback that reaches it past
// the hooks in front of it.
class RecordingWindow final : public QWidget {
public:
    QList<int> received;

protected:
    bool event(QEvent* e) override {
        if (e->type() == forms::TrayCallbackEvent::eventType())
            received << static_cast<forms::TrayCallbackEvent*>(e)->mouseMessage();
        return QWidget::event(e);
    }
};

} // namespace tarvo::testing
