#pragma once

#include "platform/process.h"

#include <QString>

class QPlainTextEdit;

namespace tarvo {

// Runs a console command line hidden and streams its standard output and standard error
// into box, chunk by chunk, letting pending events run after each chunk; returns when the
// output has ended. When the command cannot be started the box keeps its text and the
// result is still true; false when the run is interrupted (no box, or the box went away).
bool RunCommand(platform::IProcessLauncher& launcher, const QString& commandLine,
                QPlainTextEdit* box);

} // namespace tarvo
