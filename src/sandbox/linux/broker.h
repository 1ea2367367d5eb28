#pragma once

#include "sandbox/socketfactory.h"

#include <QString>
#include <QUrl>

namespace tarvo::sandbox {

// The sandboxed helper's one way to the network. A small process forked before the
// helper drops its rights looks up the origin's host itself and, each time the helper
// asks, connects to it on the origin's port and hands over the connected socket, at most
// budget times. The helper names neither host nor port, so whatever runs in it can reach
// nothing else; the broker reads nothing from the network, and holds nothing else of the
// helper's. It ends with the helper. Empty when started, with sockets set to make sockets
// whose connectToHost asks the broker (a host or port other than the origin's fails as
// "another host"); else why not.
QString startBroker(const QUrl& origin, int budget, SocketFactory& sockets);

} // namespace tarvo::sandbox
