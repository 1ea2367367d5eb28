#pragma once

#include "platform/process.h"
#include "platform/resolver.h"

#include <QString>
#include <QtGlobal>

class QPlainTextEdit;

namespace tarvo {

// What the probe gives when the ping output carries no average (every echo lost, the
// name did not resolve, no ping command): a time so large that the score 1000 minus it
// is negative, which the probe tick clamps to 0, the worst verdict.
inline constexpr qint16 PingNoAnswer = 32767;

// The average echo time in ms from a ping command's output. Reads the Windows English
// statistics line ("Average = 23ms"), Windows' round-trip line in any other language (its
// third value: minimum, maximum and average come in that order whatever the words and
// unit) and iputils' ("rtt min/avg/max/mdev = a/b/c/d ms", the average rounded half to
// even). PingNoAnswer when there is no average, as when every echo was lost; a line that
// is there but malformed raises a RuntimeError (InvalidProcedureCall, or Overflow when
// the number does not fit 16 bits).
qint16 parsePingAverage(const QString& output);

// Pings host three times through the system's ping command, with its output collected in
// text1, and returns the average echo time in ms (see parsePingAverage).
qint16 PingLatency(const QString& host, QPlainTextEdit* text1, platform::IHostResolver& resolver,
                   platform::IProcessLauncher& launcher);

} // namespace tarvo
