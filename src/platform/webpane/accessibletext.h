#pragma once

#include <QString>
#include <QStringView>

namespace tarvo::platform::webpane {

// A page's text as assistive technology is given it: plain characters only. Format
// characters (bidi controls such as U+202E, marks such as U+200E, isolates, U+FEFF) are
// left out, so that what is read is what the characters are, in their order.
QString accessibleText(QStringView text);

} // namespace tarvo::platform::webpane
