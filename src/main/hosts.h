#pragma once

#include <QString>

namespace tarvo {

// The fixed hosts Tarvo talks to. Only tests construct other values.
struct Hosts {
    // A well-known public web host whose echo time rates the connection.
    QString probeHost = QStringLiteral("www.baidu.com");
};

} // namespace tarvo
