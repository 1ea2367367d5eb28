#pragma once

#include <sys/types.h>

namespace tarvo::sandbox {

// What the helper and its connection broker say over their channel: a request names
// only itself; its reply comes with the connection attached, or says why there is none.
struct BrokerRequest {
    int id;
};
struct BrokerReply {
    int id;
    int error; // 0 (the connection is attached), an errno value, or NoHost
};
constexpr int NoHost = -1;
constexpr int OverBudget = -2; // the page has had all the connections it may have

// The broker's side, in the child forked for it (system calls and the C library's
// lookup, nothing of Qt): it looks up host once, enters its own sandbox, then for each
// request connects to host on port, trying its addresses in turn, many requests at a
// time, budget connections in all. It ends with the helper, or when the helper closes
// the channel.
[[noreturn]] void serveConnections(int channel, const char* host, const char* port, pid_t helper,
                                   int budget);

} // namespace tarvo::sandbox
