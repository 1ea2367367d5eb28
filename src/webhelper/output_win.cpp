#include "webhelper/output.h"

#include <windows.h>

namespace tarvo::webhelper {

// The pipe handle itself: the C runtime's descriptor would turn every LF into CR LF.
bool writeOutput(const QByteArray& bytes) {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<qsizetype>(left, 1 << 20));
        if (!WriteFile(out, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

} // namespace tarvo::webhelper
