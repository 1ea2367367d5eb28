#pragma once

#include "sandbox/socketfactory.h"

#include <QString>
#include <QUrl>

namespace tarvo::sandbox {

// The sandbox as entered: where the fetch's sockets come from from now on, or why there
// is none and the exit code the helper must end with (see exitcodes.h).
struct Sandbox {
    SocketFactory sockets;
    int exitCode = 0; // 0: entered
    QString why;
};

// Takes from this process, for the rest of its life, what a page could use once it has
// found a fault in the parser or a picture decoder. Call it once everything the helper
// loads from its own files is loaded (libraries, plugins, the fonts it draws with:
// nothing can be mapped as code after it) and before the first byte of the page is read.
// connections: how many the page may have made for it in all.
//
// What each system enforces:
// - Linux: no program started, no file written, no socket opened, no connection but
//   those a broker makes to origin's host and port (at most connections of them), no
//   signal to another process, and no file read or looked at but the fonts: by a system
//   call filter in every case, Landlock where the kernel has it, and where it has not a
//   namespace whose root holds only the fonts. A system with neither Landlock nor such a
//   namespace cannot confine the helper, and it ends.
// - Windows: low integrity without privileges, so nothing of the user's can be written;
//   the window's job keeps it from the desktop and from starting programs. It can still
//   read what the user can read and connect anywhere.
Sandbox enterSandbox(const QUrl& origin, int connections);

} // namespace tarvo::sandbox
