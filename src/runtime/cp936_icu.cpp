#include "runtime/cp936.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tarvo::runtime::cp936 {

namespace {

// Qt's name for code page 936, which it converts through ICU.
constexpr const char* CodePage = "GBK";

// Whether bytes end in a lead byte whose second byte is missing: the converter drops
// such a byte silently, where every other byte that forms no character shows.
bool endsInLoneLead(QByteArrayView bytes) {
    const auto lead = [](quint8 b) { return b >= 0x81 && b <= 0xFE; };
    const auto trail = [](quint8 b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; };
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (!lead(quint8(bytes[i])))
            ++i;
        else if (i + 1 == bytes.size())
            return true;
        else
            i += trail(quint8(bytes[i + 1])) ? 2 : 1;
    }
    return false;
}

} // namespace

// One converter per thread, kept: opening the code page is most of the cost of a short
// conversion, and texts are converted every second. Each call starts from a clean state.
QByteArray encode(QStringView text) {
    thread_local QStringEncoder encoder(CodePage);
    encoder.resetState();
    return encoder.encode(text);
}

QString decode(QByteArrayView bytes) {
    thread_local QStringDecoder decoder(CodePage);
    decoder.resetState();
    QString text = decoder.decode(bytes);
    if (endsInLoneLead(bytes))
        text += QChar::ReplacementCharacter;
    return text;
}

} // namespace tarvo::runtime::cp936
