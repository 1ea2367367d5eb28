#pragma once

#include "platform/iftable.h"

// In this order: the 64-bit table's types need Windows Sockets' definitions first.
#include <winsock2.h>

#include <ws2tcpip.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include <functional>
#include <memory>

namespace tarvo::platform::win {

// The IP Helper calls the interface table is read through: the system's, or a test's
// tables shaped like a real system's.
struct IpHelperCalls {
    std::function<DWORD(PMIB_IFTABLE, PULONG, BOOL)> getIfTable = ::GetIfTable;
    std::function<DWORD(PMIB_IF_TABLE2*)> getIfTable2 = ::GetIfTable2;
    std::function<DWORD(ADDRESS_FAMILY, PMIB_IPFORWARD_TABLE2*)> getIpForwardTable2 =
        ::GetIpForwardTable2;
    std::function<void(PVOID)> freeMibTable = ::FreeMibTable;
};

std::unique_ptr<IInterfaceTable> createInterfaceTable(IpHelperCalls calls);

} // namespace tarvo::platform::win
