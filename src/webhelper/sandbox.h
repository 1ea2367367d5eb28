#pragma once

#include <QString>
#include <QUrl>

class QObject;
class QTcpSocket;

namespace tarvo::webhelper {

// Takes from this process, for the rest of its life, everything a page could use once it
// has found a fault in the parser or a picture decoder: starting programs, writing files,
// reading files other than fonts, opening sockets and connecting anywhere. Connections
// to origin's host and port, and to nothing else, are made for it from then on (see
// newSocket). Call it once everything the helper loads from its own files is loaded
// (libraries, plugins, the fonts it draws with: nothing can be mapped as code after it)
// and before the first byte of the page is read.
// Empty when done; otherwise why not, and the helper must end rather than go on.
QString enterSandbox(const QUrl& origin);

// A TCP socket for the fetch. Inside the sandbox it cannot connect by itself; it asks
// for a connection to the origin and is refused any other host or port.
QTcpSocket* newSocket(QObject* parent);

} // namespace tarvo::webhelper
