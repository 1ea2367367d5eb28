#pragma once

#include <QString>
#include <QtGlobal>

namespace tarvo {

// The English descriptions of a connection query's flag word, one line (CR LF) per
// description. Kept by the window for diagnostics only; nothing shows it.
QString describeConnectionFlags(quint32 flags);

} // namespace tarvo
