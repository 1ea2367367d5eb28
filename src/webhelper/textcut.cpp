#include "webhelper/textcut.h"

namespace tarvo::webhelper {

QString cutText(QStringView text, qsizetype max) {
    if (text.size() <= max)
        return text.toString();
    qsizetype kept = std::max<qsizetype>(max - 1, 0);
    if (kept > 0 && text[kept - 1].isHighSurrogate())
        --kept;
    return text.first(kept).toString() + QChar(0x2026);
}

} // namespace tarvo::webhelper
