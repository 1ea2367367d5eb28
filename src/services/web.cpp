#include "services/web.h"

#include "runtime/codepage.h"

#include <QStringList>

namespace tarvo {

QString ResolveHostAddress(platform::IHostResolver& resolver, const QString& host) {
    const auto address = resolver.resolveIPv4(runtime::toAnsi(host));
    if (!address)
        return {};
    QStringList parts;
    for (quint8 byte : *address)
        parts << QString::number(byte);
    return parts.join(u'.');
}

bool isDottedIPv4(QStringView text) {
    const auto parts = text.split(u'.');
    if (parts.size() != 4)
        return false;
    for (QStringView part : parts) {
        if (part.isEmpty() || part.size() > 3 || (part.size() > 1 && part.front() == u'0'))
            return false;
        int value = 0;
        for (QChar c : part) {
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c.unicode() - u'0');
        }
        if (value > 255)
            return false;
    }
    return true;
}

} // namespace tarvo
