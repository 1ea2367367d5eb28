#include "platform/consoletext.h"

#include <QStringDecoder>

namespace tarvo::platform {

namespace {

// The Windows code pages a console program's output may come in, by the names Qt's ICU
// converters know them under, each the one that matches Windows' table: ICU's
// "Shift_JIS" is Microsoft's 932 (0x5C a backslash), "windows-949" is Unified Hangul
// Code (not plain EUC-KR), "Big5" is 950.
const char* codePageName(unsigned codePage) {
    switch (codePage) {
    case 437:
        return "IBM437";
    case 850:
        return "IBM850";
    case 866:
        return "IBM866";
    case 932:
        return "Shift_JIS";
    case 936:
        return "GBK";
    case 949:
        return "windows-949";
    case 950:
        return "Big5";
    case 1252:
        return "windows-1252";
    case CodePageUtf8:
        return "UTF-8";
    default:
        return nullptr;
    }
}

} // namespace

// Consoles here speak UTF-8; the other code pages are for output made elsewhere.
unsigned consoleCodePage() {
    return CodePageUtf8;
}

bool isLeadByte(unsigned codePage, quint8 byte) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

// A code page it does not know is taken as single-byte Latin-1.
QString fromCodePage(unsigned codePage, QByteArrayView bytes) {
    const char* name = codePageName(codePage);
    if (name == nullptr)
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace tarvo::platform
