#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

namespace tarvo::platform {

// The read side of a started child's output (standard output and standard error share
// one pipe). Destroying it closes the pipe and reaps the child.
class IProcessOutput {
public:
    virtual ~IProcessOutput() = default;
    // Blocks until output is there; returns the text of at most maxBytes bytes of it,
    // decoded from the console's code page (ConsoleText: a character cut between reads
    // comes whole with the next one). Empty when the output has ended (the child and
    // everyone else holding the pipe closed it) or on an error.
    virtual QString read(int maxBytes) = 0;
    // Lets window messages (timers, input, paints) run until there is output to read or
    // the output has ended, so that a command that is silent for a while does not
    // freeze the window.
    virtual void waitForOutput() = 0;
};

// Starts console commands hidden, with their output on a pipe.
class IProcessLauncher {
public:
    virtual ~IProcessLauncher() = default;
    // Splits commandLine by the Windows rules (splitCommandLine) and starts the program
    // without a shell; standard input is the caller's own. Null when the pipe cannot be
    // made or the program cannot be started.
    virtual std::unique_ptr<IProcessOutput> start(const QString& commandLine) = 0;
};

std::unique_ptr<IProcessLauncher> createProcessLauncher();

// Splits a command line into arguments as the Windows shell's CommandLineToArgvW does:
// the program name ends at the next blank, or at its closing double quote when it
// starts with one; the other arguments are separated by blanks and tabs outside double
// quotes, 2n backslashes before a quote give n backslashes and a quote that toggles
// quoting, 2n+1 give n backslashes and a literal quote, other backslashes are literal,
// and "" inside quotes gives a literal quote and ends the quoted part.
QStringList splitCommandLine(const QString& commandLine);

// The system's ping command for three echo requests with 1.5 s to wait for each.
QString pingCommandLine(const QString& address);

} // namespace tarvo::platform
