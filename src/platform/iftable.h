#pragma once

#include <QtGlobal>

#include <memory>
#include <optional>

namespace tarvo::platform {

// The system's interface table in its original byte layout: a 32-bit row count
// followed by rows of 860 bytes (MIB_IFROW), little-endian.
inline constexpr quint32 IfTableHeaderBytes = 4;
inline constexpr quint32 IfRowBytes = 860;

namespace ifrow {
inline constexpr int Name = 0; // 256 UTF-16 units
inline constexpr int Index = 512;
inline constexpr int Type = 516;
inline constexpr int Mtu = 520;
inline constexpr int Speed = 524;
inline constexpr int PhysAddrLen = 528;
inline constexpr int PhysAddr = 532; // 8 bytes
inline constexpr int AdminStatus = 540;
inline constexpr int OperStatus = 544;
inline constexpr int LastChange = 548;
inline constexpr int InOctets = 552;
inline constexpr int InUcastPkts = 556;
inline constexpr int InNUcastPkts = 560;
inline constexpr int InDiscards = 564;
inline constexpr int InErrors = 568;
inline constexpr int InUnknownProtos = 572;
inline constexpr int OutOctets = 576;
inline constexpr int OutUcastPkts = 580;
inline constexpr int OutNUcastPkts = 584;
inline constexpr int OutDiscards = 588;
inline constexpr int OutErrors = 592;
inline constexpr int OutQLen = 596;
inline constexpr int DescrLen = 600;
inline constexpr int Descr = 604; // 256 bytes
} // namespace ifrow

namespace iftype {
inline constexpr quint32 Other = 1;
inline constexpr quint32 Ethernet = 6;
inline constexpr quint32 Ppp = 23;
inline constexpr quint32 SoftwareLoopback = 24;
inline constexpr quint32 Ieee80211 = 71;
inline constexpr quint32 Tunnel = 131;
} // namespace iftype

// Result codes of the table call.
inline constexpr quint32 NoError = 0;
inline constexpr quint32 ErrorNotSupported = 50;
inline constexpr quint32 ErrorInvalidParameter = 87;
inline constexpr quint32 ErrorInsufficientBuffer = 122;

// Where an interface stands between the machine and the network. The totals count each
// byte that crosses the machine's edge once, and the role tells which rows do that.
enum class IfRole : quint8 {
    Unknown,  // the system told nothing of it
    Hardware, // an adapter with a device behind it: Ethernet, Wi-Fi, a modem's USB link
    Virtual,  // made in software: bridge, veth, tunnel, VPN adapter, VLAN, bond, PPP
    Loopback, // traffic within the machine
    // A row that repeats the counters of the adapter it is stacked on: Windows' NDIS
    // filters ("LightWeight Filter", "Packet Scheduler").
    Filter,
};

// An interface's octet counters at their full 64 bits; the table's rows carry them
// only modulo 2^32.
struct IfOctets64 {
    quint64 in = 0;
    quint64 out = 0;

    friend bool operator==(const IfOctets64&, const IfOctets64&) = default;
};

class IInterfaceTable {
public:
    virtual ~IInterfaceTable() = default;
    // GetIfTable: with table null or *size too small, writes the needed size to *size
    // and returns 122; otherwise fills the table and returns 0. 50 when the system has
    // no such table; 87 when size is null.
    virtual quint32 getIfTable(quint8* table, quint32* size, bool order) = 0;
    // The 64-bit octet counters of the row with this index (dwIndex) in the table that
    // the last successful fetch wrote, from the same reading as that row; none where the
    // system keeps only 32-bit counters or that table had no such row.
    virtual std::optional<IfOctets64> octets64(quint32 index) const = 0;
    // The role of the row with this index in that table; Unknown for a row the system
    // told nothing of.
    virtual IfRole role(quint32 index) const = 0;
    // Whether the interface with this index carries a default route (IPv4 or IPv6) of the
    // system's main routing table now. Asked only when no adapter carries traffic, so a
    // source may look the routes up on the first question after a fetch.
    virtual bool hasDefaultRoute(quint32 index) = 0;
};

std::unique_ptr<IInterfaceTable> createInterfaceTable();

} // namespace tarvo::platform
