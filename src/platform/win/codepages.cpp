#include "platform/consoletext.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace tarvo::platform {

unsigned consoleCodePage() {
    return ::GetOEMCP();
}

bool isLeadByte(unsigned codePage, quint8 byte) {
    return ::IsDBCSLeadByteEx(codePage, byte);
}

QString fromCodePage(unsigned codePage, QByteArrayView bytes) {
    if (bytes.isEmpty())
        return {};
    const int size = int(bytes.size());
    const int units = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(size_t(std::max(units, 0)), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), units);
    return QString::fromStdWString(wide);
}

} // namespace tarvo::platform
