#pragma once

#include <QByteArray>

namespace tarvo::webhelper {

// The HTML parser's scope checks cost time in proportion to the depth of open elements,
// so a hostile page of nothing but nested start tags would take minutes. Before parsing,
// start tags that would open an element deeper than maxDepth are dropped (their text
// stays). The count errs on the deep side: every non-void start tag whose end tag may
// not be left out opens a level; an end tag closes its open element and what lies inside
// it, except formatting elements (b, i, font…), which only their own end tag closes.
QByteArray limitNesting(const QByteArray& utf8, int maxDepth);

} // namespace tarvo::webhelper
