#include "main/connectiontext.h"

#include <utility>

namespace tarvo {

QString describeConnectionFlags(quint32 flags) {
    static const std::pair<quint32, const char*> descriptions[] = {
        {0x01, "Connection uses a modem."},
        {0x02, "Connection uses LAN."},
        {0x04, "Connection is via Proxy."},
        {0x20, "Connection is Off-line."}};
    QString text;
    for (auto [bit, line] : descriptions)
        if (flags & bit)
            text += QLatin1String(line) + QLatin1String("\r\n");
    text += QLatin1String((flags & 0x40) ? "Connection is Configured.\r\n"
                                         : "Connection is Not Configured.\r\n");
    if (flags & 0x10)
        text += QLatin1String("System has RAS installed.\r\n");
    return text;
}

} // namespace tarvo
