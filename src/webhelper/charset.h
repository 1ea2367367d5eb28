#pragma once

#include <QByteArray>
#include <QString>

namespace tarvo::webhelper {

// The charset a page declares, in the order browsers look: a byte order mark, the
// response's Content-Type, then a <meta> in the first 1024 bytes. Empty when none.
QByteArray declaredCharset(const QByteArray& body, const QByteArray& contentType);

// The page's text: decoded by its declared charset (the GB2312 family as GBK, which
// contains it), as code page 936 when it declares none or one that is unknown here.
// Invalid bytes become U+FFFD.
QString decodePage(const QByteArray& body, const QByteArray& contentType);

} // namespace tarvo::webhelper
