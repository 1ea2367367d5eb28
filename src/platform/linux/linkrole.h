#pragma once

#include "platform/iftable.h"

namespace tarvo::platform::linux_ {

// What a link's rtnetlink attributes say of where it stands.
struct LinkFacts {
    unsigned short hardwareType = 0; // ARPHRD_*
    unsigned flags = 0;              // IFF_*
    bool hasKind = false;            // IFLA_INFO_KIND: made through a link type (veth, bridge…)
    bool hasParentDevice = false;    // IFLA_PARENT_DEV_NAME: a device on a bus behind it
};

// Loopback; an adapter when a device stands behind it; software when it was made as a
// link type or is of a kind only software makes (tunnels, PPP, raw IP); otherwise an
// adapter, as a kernel too old to name parent devices still gives every software link a
// kind.
IfRole linkRole(const LinkFacts& link);

} // namespace tarvo::platform::linux_
