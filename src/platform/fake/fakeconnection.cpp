#include "platform/fake/fakeconnection.h"

#include <algorithm>

namespace tarvo::platform {

bool FakeConnectionSource::query(quint32& flags, std::span<char> name) {
    ++m_calls;
    m_lastCapacity = qsizetype(name.size());
    flags = m_flags;
    const size_t count = std::min(name.size(), size_t(m_name.size()));
    std::copy_n(m_name.constData(), count, name.begin());
    if (count < name.size())
        name[count] = '\0';
    return m_connected;
}

} // namespace tarvo::platform
