#pragma once

#include <QByteArray>

namespace tarvo::webhelper {

// Writes bytes to standard output as they are (never translated), all of them or none
// more once the reader has gone. False when the window no longer reads.
bool writeOutput(const QByteArray& bytes);

} // namespace tarvo::webhelper
