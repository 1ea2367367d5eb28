#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace tarvo {

// The access key of a caption: the character after its first single "&", in lower
// case. A doubled "&&" is an escaped ampersand: the key then comes from the next "&"
// after the pair, unless that one is doubled too. Nothing for captions of at most one
// character and for an "&" at the very end.
std::optional<QChar> accessKey(const QString& caption);

} // namespace tarvo
