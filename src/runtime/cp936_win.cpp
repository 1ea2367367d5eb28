#include "runtime/cp936.h"

#include <windows.h>

#include <string>

namespace tarvo::runtime::cp936 {

namespace {

constexpr UINT CodePage = 936;

// Converts bytes exactly; false when they hold anything that is not a character.
bool decodeStrict(const char* bytes, int size, std::wstring& out) {
    const int units =
        ::MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes, size, nullptr, 0);
    if (units <= 0)
        return false;
    const size_t at = out.size();
    out.resize(at + size_t(units));
    ::MultiByteToWideChar(CodePage, MB_ERR_INVALID_CHARS, bytes, size, out.data() + at, units);
    return true;
}

} // namespace

QByteArray encode(QStringView text) {
    if (text.isEmpty())
        return {};
    const auto* units = reinterpret_cast<LPCWCH>(text.utf16());
    const int length = int(text.size());
    const int bytes =
        ::WideCharToMultiByte(CodePage, 0, units, length, nullptr, 0, nullptr, nullptr);
    QByteArray out(qsizetype(bytes > 0 ? bytes : 0), Qt::Uninitialized);
    if (bytes > 0)
        ::WideCharToMultiByte(CodePage, 0, units, length, out.data(), bytes, nullptr, nullptr);
    return out;
}

QString decode(QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    std::wstring out;
    if (decodeStrict(bytes.data(), int(bytes.size()), out))
        return QString::fromStdWString(out);
    // Something in it is not a character: go character by character, so that only the
    // bad bytes become U+FFFD. A byte 0x81..0xFE leads a two-byte character.
    out.clear();
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto byte = quint8(bytes[i]);
        const int width = (byte >= 0x81 && byte <= 0xFE && i + 1 < bytes.size()) ? 2 : 1;
        if (decodeStrict(bytes.data() + i, width, out)) {
            i += width;
        } else {
            out.push_back(L'\xFFFD');
            ++i;
        }
    }
    return QString::fromStdWString(out);
}

} // namespace tarvo::runtime::cp936
