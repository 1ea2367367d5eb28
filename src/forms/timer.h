#pragma once

#include <QObject>

namespace tarvo::forms {

// A form timer: interval, Enabled and a tick. The system timer resolution is 1/64 s, so
// an interval below 15.625 ms fires once per resolution tick; every timer runs off the
// one tick source, so timers due on the same tick fire in one wake-up. A handler that
// is still running inside a yield is not re-entered: that tick is skipped.
class Timer final : public QObject {
    Q_OBJECT
public:
    static constexpr double ResolutionMs = 1000.0 / 64.0;

    explicit Timer(QObject* parent = nullptr);
    ~Timer() override;

    int interval() const { return m_interval; }
    void setInterval(int milliseconds);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);

    // A frame timer fires on the frame thread where the platform runs one (see
    // TickSource): its handlers draw only on surfaces, and its tick is connected directly.
    bool isFrameTimer() const { return m_frameTimer; }
    void setFrameTimer(bool frameTimer);

    // The period in whole milliseconds the timer really fires at.
    static int effectiveInterval(int milliseconds);

    // Delivers one tick as the system clock would; tests drive timers through it.
    void fire();
    bool isHandling() const { return m_handling; }

signals:
    void tick();

private:
    void restart();

    int m_interval = 0;
    bool m_enabled = false;
    bool m_handling = false;
    bool m_frameTimer = false;
};

} // namespace tarvo::forms
