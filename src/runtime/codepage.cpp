#include "runtime/codepage.h"

#include "runtime/cp936.h"

namespace tarvo::runtime {

QByteArray toAnsi(QStringView text) {
    return cp936::encode(text);
}

QString fromAnsi(QByteArrayView bytes) {
    return cp936::decode(bytes);
}

QByteArray toAnsiField(QStringView text, int maxBytes) {
    if (maxBytes <= 0)
        return {};
    QByteArray bytes = toAnsi(text);
    if (bytes.size() <= maxBytes)
        return bytes;
    // Walk whole characters: in code page 936 a byte 0x81..0xFE leads a two-byte one.
    qsizetype cut = 0;
    while (cut < maxBytes) {
        const auto byte = quint8(bytes[cut]);
        const qsizetype width = (byte >= 0x81 && byte <= 0xFE) ? 2 : 1;
        if (cut + width > maxBytes)
            break;
        cut += width;
    }
    bytes.truncate(cut);
    return bytes;
}

QString fromAnsiField(QByteArrayView field) {
    const qsizetype end = field.indexOf('\0');
    return fromAnsi(end < 0 ? field : field.first(end));
}

} // namespace tarvo::runtime
