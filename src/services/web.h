#pragma once

#include "platform/resolver.h"

#include <QString>
#include <QStringView>

namespace tarvo {

// The dotted decimal text of host's first IPv4 address, or empty text when the name
// does not resolve or the system gives no answer while it would go on retrying (at most
// platform::LookupCeiling). The window keeps handling its messages meanwhile.
QString ResolveHostAddress(platform::IHostResolver& resolver, const QString& host);

// Whether text is an IPv4 address as ResolveHostAddress writes it: four decimal numbers
// 0..255 without leading zeros, joined by ".".
bool isDottedIPv4(QStringView text);

} // namespace tarvo
