#include "platform/codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace tarvo::platform {

namespace {

constexpr const char* CodePage = "GBK"; // Qt's name for code page 936
constexpr const char* IconvCodePage = "CP936";

bool qtHasCodePage() {
    static const bool available = QStringEncoder(CodePage).isValid();
    return available;
}

// Fallback for a Qt built without ICU: glibc's converter, unmappable input becoming '?'
// as the system's own conversion does.
QByteArray iconvConvert(const char* to, const char* from, QByteArrayView input, char substitute) {
    QByteArray out;
    iconv_t cd = iconv_open(to, from);
    if (cd == iconv_t(-1))
        return out;
    char* in = const_cast<char*>(input.data());
    size_t inLeft = size_t(input.size());
    QByteArray buffer(4096, Qt::Uninitialized);
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        size_t outLeft = size_t(buffer.size());
        const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.constData(), buffer.size() - qsizetype(outLeft));
        if (rc == size_t(-1) && errno != E2BIG) {
            // Skip one unit of input that cannot be converted.
            const size_t skip = std::min<size_t>(inLeft, qstrcmp(from, "UTF-16LE") == 0 ? 2 : 1);
            in += skip;
            inLeft -= skip;
            if (qstrcmp(to, "UTF-16LE") == 0)
                out.append(QByteArray::fromRawData("\xfd\xff", 2));
            else
                out.append(substitute);
        }
    }
    iconv_close(cd);
    return out;
}

} // namespace

QByteArray toAnsi(QStringView text) {
    if (qtHasCodePage()) {
        QStringEncoder encoder(CodePage);
        return encoder.encode(text);
    }
    const QByteArrayView utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return iconvConvert(IconvCodePage, "UTF-16LE", utf16, '?');
}

QString fromAnsi(QByteArrayView bytes) {
    if (qtHasCodePage()) {
        QStringDecoder decoder(CodePage);
        return decoder.decode(bytes);
    }
    const QByteArray utf16 = iconvConvert("UTF-16LE", IconvCodePage, bytes, '?');
    return QString(reinterpret_cast<const QChar*>(utf16.constData()), utf16.size() / 2);
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

} // namespace tarvo::platform
