#include "runtime/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace tarvo::runtime {

namespace {

// Qt's name for code page 936; Qt converts it through ICU (or the system's code pages
// on Windows), so the runtime needs no converter of its own.
constexpr const char* CodePage = "GBK";

} // namespace

QByteArray toAnsi(QStringView text) {
    QStringEncoder encoder(CodePage);
    return encoder.encode(text);
}

QString fromAnsi(QByteArrayView bytes) {
    QStringDecoder decoder(CodePage);
    return decoder.decode(bytes);
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
