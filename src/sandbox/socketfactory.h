#pragma once

#include <functional>

class QObject;
class QTcpSocket;

namespace tarvo::sandbox {

// Where a fetch gets its TCP socket: a plain one, or inside the sandbox one that asks the
// connection broker when told to connect.
using SocketFactory = std::function<QTcpSocket*(QObject* parent)>;

} // namespace tarvo::sandbox
