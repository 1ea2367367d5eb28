#include "platform/consoletext.h"

#include "runtime/codepage.h"

namespace tarvo::platform {

// Consoles here speak UTF-8. Of the other code pages only 936 is known (the one the
// program's own texts use); any other is taken as single-byte Latin-1.
unsigned consoleCodePage() {
    return CodePageUtf8;
}

bool isLeadByte(unsigned codePage, quint8 byte) {
    return codePage == 936 && byte >= 0x81 && byte <= 0xFE;
}

QString fromCodePage(unsigned codePage, QByteArrayView bytes) {
    return codePage == 936 ? runtime::fromAnsi(bytes) : QString::fromLatin1(bytes);
}

} // namespace tarvo::platform
