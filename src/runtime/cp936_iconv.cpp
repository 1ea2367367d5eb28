#include "runtime/cp936.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <QSysInfo>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tarvo::runtime::cp936 {

namespace {

// UTF-16 in the order QString keeps it.
constexpr const char* Utf16 =
    QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE" : "UTF-16BE";

// The C library's converter for code page 936 (glibc's CP936: GBK with the euro sign at
// 0x80). Texts are converted every second, and it pages in a tenth of what ICU's does.
// One per thread, kept: opening it is most of the cost of a short conversion.
class Converter final {
public:
    Converter(const char* to, const char* from)
        : m_cd(::iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            ::iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return m_cd != iconv_t(-1); }

    // Converts from a clean state into `out`, which has room for every output; where the
    // input holds what the converter cannot take, `bad` writes a stand-in at `to` and
    // says how many input bytes it stands for.
    template <typename Bad>
    std::size_t run(const char* in, std::size_t inLeft, char* out, std::size_t room, Bad bad) {
        ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* from = const_cast<char*>(in);
        char* to = out;
        while (inLeft > 0) {
            if (::iconv(m_cd, &from, &inLeft, &to, &room) != std::size_t(-1) || errno == E2BIG)
                break;
            const std::size_t skipped = std::min(inLeft, bad(from, inLeft, to, room));
            from += skipped;
            inLeft -= skipped;
            ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        }
        return std::size_t(to - out);
    }

private:
    iconv_t m_cd;
};

char16_t unitAt(const char* at) {
    char16_t unit;
    std::memcpy(&unit, at, sizeof unit);
    return unit;
}

} // namespace

QByteArray encode(QStringView text) {
    thread_local Converter converter("CP936", Utf16);
    if (text.isEmpty())
        return {};
    if (!converter.valid())
        return QStringEncoder("GBK").encode(text);
    // Two bytes a UTF-16 unit at most; a character without a form becomes one '?'.
    const auto unmappable = [](const char* at, std::size_t left, char*& to, std::size_t& room) {
        *to++ = '?';
        --room;
        const bool pair = left >= 4 && QChar::isHighSurrogate(unitAt(at)) &&
                          QChar::isLowSurrogate(unitAt(at + 2));
        return std::size_t(pair ? 4 : 2);
    };
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    const std::size_t written =
        converter.run(reinterpret_cast<const char*>(text.utf16()), std::size_t(text.size()) * 2,
                      out.data(), std::size_t(out.size()), unmappable);
    out.truncate(qsizetype(written));
    return out;
}

QString decode(QByteArrayView bytes) {
    thread_local Converter converter(Utf16, "CP936");
    if (bytes.isEmpty())
        return {};
    if (!converter.valid())
        return QStringDecoder("GBK").decode(bytes);
    // One UTF-16 unit a byte at most; a byte that starts no character (a lead byte
    // without its second byte among them) becomes U+FFFD, and the rest is read on.
    const auto unreadable = [](const char*, std::size_t, char*& to, std::size_t& room) {
        const char16_t replacement = QChar::ReplacementCharacter;
        std::memcpy(to, &replacement, sizeof replacement);
        to += sizeof replacement;
        room -= sizeof replacement;
        return std::size_t(1);
    };
    QString out(bytes.size(), Qt::Uninitialized);
    const std::size_t written =
        converter.run(bytes.data(), std::size_t(bytes.size()), reinterpret_cast<char*>(out.data()),
                      std::size_t(out.size()) * 2, unreadable);
    out.truncate(qsizetype(written / 2));
    return out;
}

} // namespace tarvo::runtime::cp936
