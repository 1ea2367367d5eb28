#pragma once

#include <QString>
#include <QStringList>

namespace tarvo::webhelper {

// What Landlock did for this process.
struct LandlockOutcome {
    int abi = 0;   // the kernel's Landlock version used; 0: the kernel has none
    QString error; // not empty: it is there but could not be applied
};

// Leaves this process read access to readable (directories and files) and nothing else of
// the file system; where the kernel's version allows, no TCP bind or connect either, no
// abstract Unix socket and no signal to a process outside. No new privileges must already
// be set. Paths that do not exist are left out.
LandlockOutcome restrictFileSystem(const QStringList& readable);

} // namespace tarvo::webhelper
