#pragma once

#include <QString>

namespace tarvo::sandbox {

// From now on this process may make only the system calls the helper's work needs, many
// only with the arguments it needs (see the lists in the source); any other ends it at
// once. Opening a file for writing or for its path alone, looking a path up (stat,
// access, readlink) and mapping memory as code fail instead, since libraries try them in
// passing. A handler for SIGSYS answers fstat asked by path-less newfstatat. No new
// privileges must already be set. Empty when loaded, else why not.
QString loadHelperFilter();

// The connection broker's much shorter list: read a request, connect, hand over the
// socket. Loaded in the broker's child, forked from the helper while it has one thread,
// before the helper's own sandbox. False when it could not be loaded.
bool loadBrokerFilter();

} // namespace tarvo::sandbox
