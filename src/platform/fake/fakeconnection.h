#pragma once

#include "platform/connection.h"

#include <QByteArray>

namespace tarvo::platform {

// Answers with whatever the test set: the flag word, the raw name bytes (written as they
// are, cut at the caller's room) and the result.
class FakeConnectionSource final : public IConnectionSource {
public:
    bool query(quint32& flags, std::span<char> name) override;

    void set(bool connected, quint32 flags, QByteArray name) {
        m_connected = connected;
        m_flags = flags;
        m_name = std::move(name);
    }
    int calls() const { return m_calls; }
    // The room the last caller offered for the name.
    qsizetype lastCapacity() const { return m_lastCapacity; }

private:
    bool m_connected = false;
    quint32 m_flags = 0;
    QByteArray m_name;
    int m_calls = 0;
    qsizetype m_lastCapacity = -1;
};

} // namespace tarvo::platform
