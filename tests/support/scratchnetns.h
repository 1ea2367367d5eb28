#pragma once

#include <QString>
#include <QStringList>

namespace tarvo::testing {

// Runs a tool to its end; returns whether it exited with 0. Its standard output goes to
// output, followed by its standard error when it failed.
// environment adds "NAME=value" entries to the inherited environment.
bool runTool(const QString& program, const QStringList& args, QString* output = nullptr,
             const QStringList& environment = {}, int timeoutMs = 30000);

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
    // The resolver configuration programs see under "ip netns exec": name servers at
    // these addresses, with the resolver's own options (e.g. "timeout:30 attempts:1").
    bool setNameServers(const QStringList& addresses, const QString& options = {});
    const QString& lastError() const { return m_lastError; }

private:
    QString configDir() const;

    QString m_name;
    bool m_valid = false;
    QString m_lastError;
};

} // namespace tarvo::testing
