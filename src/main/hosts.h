#pragma once

#include <QString>

namespace tarvo {

// The fixed hosts Tarvo talks to. Only tests construct other values.
struct Hosts {
    // A well-known public web host whose echo time rates the connection.
    QString probeHost = QStringLiteral("www.baidu.com");
    // The maker's web server, which serves the two panes' pages over plain HTTP. A name
    // under a reserved domain: a deployment maps it to its own server (see README).
    QString webServer = QStringLiteral("kiv.tarvo.example");
};

} // namespace tarvo
