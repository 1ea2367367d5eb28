#include "platform/linux/routes.h"

#include <sys/socket.h>

#include <cstring>

namespace tarvo::platform::linux_ {

namespace {

void readRoute(const nlmsghdr& message, Routes& routes) {
    if (message.nlmsg_type != RTM_NEWROUTE || message.nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg)))
        return;
    rtmsg header;
    std::memcpy(&header, NLMSG_DATA(&message), sizeof header);
    if ((header.rtm_family != AF_INET && header.rtm_family != AF_INET6) ||
        header.rtm_type != RTN_UNICAST)
        return;

    quint32 table = header.rtm_table;
    DefaultRoute route;
    route.family = header.rtm_family;
    forEachAttribute(message, sizeof(rtmsg), [&](const rtattr& attribute) {
        switch (attribute.rta_type) {
        case RTA_TABLE:
            table = scalar<quint32>(attribute);
            break;
        case RTA_OIF:
            route.ifindex = scalar<int>(attribute);
            break;
        case RTA_PRIORITY:
            route.priority = scalar<quint32>(attribute);
            break;
        case RTA_MULTIPATH:
            // Several next hops: the first one's interface stands for the route.
            if (route.ifindex == 0 && attributeLength(attribute) >= sizeof(rtnexthop)) {
                rtnexthop hop;
                std::memcpy(&hop, attributeData(attribute), sizeof hop);
                route.ifindex = hop.rtnh_ifindex;
            }
            break;
        default:
            break;
        }
    });
    if (table != RT_TABLE_MAIN)
        return;
    routes.any = true;
    if (header.rtm_dst_len == 0 && route.ifindex > 0)
        routes.defaults.push_back(route);
}

} // namespace

std::optional<Routes> readMainRoutes(NetlinkSocket& socket) {
    rtmsg request{};
    request.rtm_family = AF_UNSPEC;
    return readTable<Routes>(socket, RTM_GETROUTE, request, readRoute);
}

} // namespace tarvo::platform::linux_
