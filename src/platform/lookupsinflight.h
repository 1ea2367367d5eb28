#pragma once

#include <QByteArray>
#include <QHash>

#include <iterator>
#include <memory>

namespace tarvo::platform {

// The system's lookups still running, by host name. The system's call cannot be cancelled:
// a caller that stopped waiting leaves it running, and a caller nested in another's wait
// (window messages run meanwhile) would ask for the same name again. Either waits for the
// running lookup instead of starting another on top of it, so a name server that never
// answers costs one lookup at a time, not one more per check.
// Lookup is the backend's shared record of one lookup, with `bool finished() const`.
template <typename Lookup> class LookupsInFlight final {
public:
    // The lookup of host that is still running, else the one start() makes (kept until it
    // has finished).
    template <typename Start> std::shared_ptr<Lookup> join(const QByteArray& host, Start start) {
        for (auto it = m_running.begin(); it != m_running.end();)
            it = it.value()->finished() ? m_running.erase(it) : std::next(it);
        if (auto running = m_running.value(host))
            return running;
        std::shared_ptr<Lookup> lookup = start();
        if (lookup)
            m_running.insert(host, lookup);
        return lookup;
    }

private:
    QHash<QByteArray, std::shared_ptr<Lookup>> m_running;
};

} // namespace tarvo::platform
