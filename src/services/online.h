#pragma once

#include "platform/connection.h"

#include <QString>

namespace tarvo {

// Asks the platform whether there is an Internet connection. flags receives the flag
// word on every call; name the connection's name (empty when the platform gave none).
bool GetConnectionState(platform::IConnectionSource& source, quint32& flags, QString& name);

} // namespace tarvo
