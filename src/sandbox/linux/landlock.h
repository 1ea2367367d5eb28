#pragma once

#include <QString>
#include <QStringList>

namespace tarvo::sandbox {

// What Landlock did for this process.
struct LandlockOutcome {
    int abi = 0;   // the kernel's Landlock version used; 0: the kernel has none
    QString error; // not empty: it is there but could not be applied
};

// Leaves this process read access to readable (directories and files) and nothing else of
// the file system; where the kernel's version allows, no TCP bind or connect either, no
// abstract Unix socket and no signal to a process outside. No new privileges must already
// be set. Paths that do not exist are left out.
LandlockOutcome restrictFilesNetworkAndSignals(const QStringList& readable);

// The connection broker's share: no file at all, TCP connect to port and nothing else
// (no bind), no signal outside, where the kernel's version allows each. Uses nothing of
// Qt, for a forked child. The kernel's version used, or -1 when it could not be applied.
int restrictBroker(quint16 port);

// For tests only: the code sees at most this Landlock version of the kernel's (0: as if
// the kernel had none), so that every version's sandbox can be tried on one kernel. The
// program itself never calls it.
void capLandlockAbiForTests(int abi);

} // namespace tarvo::sandbox
