#include "controls/button/accesskey.h"

namespace tarvo {

std::optional<QChar> accessKey(const QString& caption) {
    if (caption.size() <= 1)
        return std::nullopt;
    qsizetype at = caption.indexOf(u'&');
    if (at < 0 || at == caption.size() - 1)
        return std::nullopt;
    if (caption.at(at + 1) == u'&') {
        at = caption.indexOf(u'&', at + 2);
        if (at < 0 || at == caption.size() - 1 || caption.at(at + 1) == u'&')
            return std::nullopt;
    }
    return caption.at(at + 1).toLower();
}

} // namespace tarvo
