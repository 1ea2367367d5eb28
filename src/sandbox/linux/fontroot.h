#pragma once

#include <QString>
#include <QStringList>

namespace tarvo::sandbox {

// Where Landlock is missing: this process moves into a user and mount namespace of its own
// whose root is an empty, private file system holding only readable (the font folders,
// caches and configuration), each at its own path. Nothing else of the file system, /proc
// included, is there to open, list or look at. The process must have one thread. Empty
// when done, else why not.
QString enterFontOnlyRoot(const QStringList& readable);

} // namespace tarvo::sandbox
