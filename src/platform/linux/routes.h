#pragma once

#include "platform/linux/netlink.h"

#include <QtGlobal>

#include <optional>
#include <vector>

namespace tarvo::platform::linux_ {

struct DefaultRoute {
    int family = 0;
    int ifindex = 0;
    quint32 priority = 0;
};

// The unicast IPv4 and IPv6 routes of the main table, as far as the callers need them.
struct Routes {
    bool any = false; // the main table holds routes at all
    std::vector<DefaultRoute> defaults;
};

// One dump of the routing tables; a dump the kernel marks as interrupted (the table
// changed meanwhile) is asked again, twice at most.
std::optional<Routes> readMainRoutes(NetlinkSocket& socket);

} // namespace tarvo::platform::linux_
