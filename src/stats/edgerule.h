#pragma once

#include "platform/iftable.h"

#include <functional>
#include <vector>

namespace tarvo {

// One row of a reading of the interface table, as the counting rule sees it.
struct EdgeRow {
    quint32 index = 0;
    platform::IfRole role = platform::IfRole::Unknown;
    bool carriesTraffic = false; // connected or operational
};

// Which rows the totals count, so that each byte that crosses the machine's edge counts
// once and traffic within the machine not at all:
// - every adapter with a device behind it (Hardware), when any of them carries traffic:
//   what a bridge, a container's veth, a VPN tunnel, a VLAN or a PPPoE link moves crosses
//   one of them too, so those are never counted beside them;
// - otherwise (a network namespace, a modem's PPP link, a machine whose only link is a
//   tunnel) the interfaces that carry a default route;
// - never loopback, a filter row or a row the system told nothing of.
// hasDefaultRoute is asked only in the second case.
std::vector<bool> countedAtEdge(const std::vector<EdgeRow>& rows,
                                const std::function<bool(quint32 index)>& hasDefaultRoute);

} // namespace tarvo
