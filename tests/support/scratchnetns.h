#pragma once

#include <QString>
#include <QStringList>

namespace tarvo::testing {

// Runs a tool to its end; returns whether it exited with 0. Its standard output goes to
// output, followed by its standard error when it failed.
// environment adds "NAME=value" entries to the inherited environment.
bool runTool(const QString& program, const QStringList& args, QString* output = nullptr,
             const QStringList& environment = {}, int timeoutMs = 30000);

// Moves the calling thread into the named network namespace (its ip-netns name); empty
// on success, otherwise why not. The namespace is a property of the thread, so a server
// that must live inside one enters it from its own thread.
QString enterNetns(const QString& netns);

// The files of /etc that name lookups read, as a test brings them instead of taking the
// machine's: hosts (localhost alone), nsswitch.conf (the hosts file, then DNS) and a
// fixed machine id, written into dir. Empty on success, otherwise why not.
QString writeEtcFiles(const QString& dir);

// Gives the calling thread a mount namespace of its own in which the files of dir lie
// over those of /etc (an overlay, so a file the machine lacks is there too). Threads
// started afterwards inherit it. Needs root; empty on success, otherwise why not.
QString overlayEtc(const QString& dir);

// A network namespace the test makes and removes again.
class ScratchNetns final {
public:
    // Empty when namespaces can be made here, otherwise why not (for QSKIP).
    static QString unavailableReason();

    explicit ScratchNetns(const QString& tag);
    ~ScratchNetns();
    ScratchNetns(const ScratchNetns&) = delete;
    ScratchNetns& operator=(const ScratchNetns&) = delete;

    bool isValid() const { return m_valid; }
    const QString& name() const { return m_name; }
    // "ip -n <name> args..." and "tc -n <name> args..."; the failure text in lastError().
    bool ip(const QStringList& args);
    bool tc(const QStringList& args);
    // The resolver configuration that programs run through exec() see: name servers at
    // these addresses, with the resolver's own options (e.g. "timeout:30 attempts:1").
    bool setNameServers(const QStringList& addresses, const QString& options = {});
    // The arguments of "ip" that run program inside the namespace with the namespace's
    // own /etc files (see writeEtcFiles) over the machine's. The program keeps the PID.
    QStringList exec(const QString& program, const QStringList& args = {}) const;
    const QString& lastError() const { return m_lastError; }

private:
    QString configDir() const;

    QString m_name;
    bool m_valid = false;
    QString m_lastError;
};

} // namespace tarvo::testing
