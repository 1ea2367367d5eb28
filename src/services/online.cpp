#include "services/online.h"

#include "runtime/codepage.h"

#include <QByteArray>

namespace tarvo {

bool GetConnectionState(platform::IConnectionSource& source, quint32& flags, QString& name) {
    // One byte more than the platform may use, so that a name filling its whole room
    // still ends in a NUL.
    QByteArray buffer(platform::ConnectionNameBytes + 1, '\0');
    quint32 word = 0;
    const bool connected =
        source.query(word, std::span<char>(buffer.data(), platform::ConnectionNameBytes));
    flags = word;
    name = runtime::fromAnsiField(buffer);
    return connected;
}

} // namespace tarvo
