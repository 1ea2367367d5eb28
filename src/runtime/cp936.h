#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 936 through whatever converter this system has; each call starts afresh.
// Characters without a form in it become '?'; bytes that form no character become
// U+FFFD.
namespace tarvo::runtime::cp936 {

QByteArray encode(QStringView text);
QString decode(QByteArrayView bytes);

} // namespace tarvo::runtime::cp936
