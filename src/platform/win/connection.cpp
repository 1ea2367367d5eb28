#include "platform/connection.h"

#include "runtime/codepage.h"

#include <QString>

#include <windows.h>
#include <wininet.h>

#include <algorithm>

namespace tarvo::platform {

namespace {

// WinINet's own answer. The name is asked for in UTF-16 and converted to code page 936
// here, so that it arrives in the same bytes whatever the system's ANSI code page is.
class WinInetConnectionSource final : public IConnectionSource {
public:
    bool query(quint32& flags, std::span<char> name) override {
        wchar_t buffer[ConnectionNameBytes + 1] = {};
        DWORD word = 0;
        const BOOL connected =
            ::InternetGetConnectedStateExW(&word, buffer, ConnectionNameBytes, 0);
        flags = word;
        const QByteArray bytes =
            runtime::toAnsiField(QString::fromWCharArray(buffer), int(name.size()));
        std::fill(name.begin(), name.end(), '\0');
        std::copy(bytes.begin(), bytes.end(), name.begin());
        return connected == TRUE;
    }
};

} // namespace

std::unique_ptr<IConnectionSource> createConnectionSource() {
    return std::make_unique<WinInetConnectionSource>();
}

} // namespace tarvo::platform
