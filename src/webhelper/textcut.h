#pragma once

#include <QString>
#include <QStringView>

namespace tarvo::webhelper {

// Text within a cap of max characters, counted as QString counts them (UTF-16 code
// units), the one way every text cap is counted. Longer text is cut on a character
// boundary (never between the halves of a surrogate pair) and ends in an ellipsis, so
// that the cut shows: at most max characters with it (the ellipsis alone when max is 0).
QString cutText(QStringView text, qsizetype max);

} // namespace tarvo::webhelper
