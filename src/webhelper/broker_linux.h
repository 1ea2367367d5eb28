#pragma once

#include <QString>
#include <QUrl>

class QObject;
class QTcpSocket;

namespace tarvo::webhelper {

// The sandboxed helper's one way to the network. A small process forked before the
// helper drops its rights looks up the origin's host itself and, each time the helper
// asks, connects to it on the origin's port and hands over the connected socket. The
// helper names neither host nor port, so whatever runs in it can reach nothing else;
// the broker reads nothing from the network. It ends with the helper. Empty when
// started, else why not.
QString startBroker(const QUrl& origin);

// A socket whose connectToHost asks the broker, or nullptr when no broker was started.
// A host or port other than the origin's fails as "another host".
QTcpSocket* newBrokeredSocket(QObject* parent);

} // namespace tarvo::webhelper
