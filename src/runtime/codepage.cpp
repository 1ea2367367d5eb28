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

// One converter per thread, kept: opening the code page is most of the cost of a short
// conversion, and texts are converted every second. Each call starts from a clean state.
QByteArray toAnsi(QStringView text) {
    thread_local QStringEncoder encoder(CodePage);
    encoder.resetState();
    return encoder.encode(text);
}

QString fromAnsi(QByteArrayView bytes) {
    thread_local QStringDecoder decoder(CodePage);
    decoder.resetState();
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
