#include "platform/linux/linkrole.h"

#include <linux/if.h>
#include <linux/if_arp.h>

namespace tarvo::platform::linux_ {

IfRole linkRole(const LinkFacts& link) {
    if ((link.flags & IFF_LOOPBACK) || link.hardwareType == ARPHRD_LOOPBACK)
        return IfRole::Loopback;
    if (link.hasParentDevice)
        return IfRole::Hardware;
    if (link.hasKind)
        return IfRole::Virtual;
    switch (link.hardwareType) {
    case ARPHRD_NONE: // tun, WireGuard
    case ARPHRD_PPP:
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_VOID:
        return IfRole::Virtual;
    default:
        return IfRole::Hardware;
    }
}

} // namespace tarvo::platform::linux_
