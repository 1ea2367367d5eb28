#include "platform/webpane/accessibletext.h"

namespace tarvo::platform::webpane {

QString accessibleText(QStringView text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        if (QChar::category(c) != QChar::Other_Format)
            plain += text.mid(i, units);
        i += units;
    }
    return plain;
}

} // namespace tarvo::platform::webpane
