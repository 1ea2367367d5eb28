#include "platform/iftable.h"

#include "platform/ifrow.h"
#include "platform/win/iphelpertable.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <vector>

// The interface table straight from IP Helper: GetIfTable writes the very bytes the
// reader parses, and GetIfTable2 adds the 64-bit octet counters and what each row is: an
// adapter (HardwareInterface), an NDIS filter that Windows lists beside the adapter it
// sits on (FilterInterface), loopback, or software (a VPN adapter, PPP, Hyper-V's
// vEthernet, a tunnel). GetIpForwardTable2 tells the default routes, when asked.

namespace tarvo::platform {

static_assert(sizeof(MIB_IFROW) == IfRowBytes);
static_assert(offsetof(MIB_IFTABLE, table) == IfTableHeaderBytes);
static_assert(offsetof(MIB_IFROW, dwIndex) == ifrow::Index);
static_assert(offsetof(MIB_IFROW, dwType) == ifrow::Type);
static_assert(offsetof(MIB_IFROW, dwSpeed) == ifrow::Speed);
static_assert(offsetof(MIB_IFROW, bPhysAddr) == ifrow::PhysAddr);
static_assert(offsetof(MIB_IFROW, dwOperStatus) == ifrow::OperStatus);
static_assert(offsetof(MIB_IFROW, dwInOctets) == ifrow::InOctets);
static_assert(offsetof(MIB_IFROW, dwOutOctets) == ifrow::OutOctets);
static_assert(offsetof(MIB_IFROW, dwOutQLen) == ifrow::OutQLen);
static_assert(offsetof(MIB_IFROW, bDescr) == ifrow::Descr);

namespace {

// The 64-bit counter as it stood when the 32-bit one was read: the two tables are two
// readings a moment apart, and the 32-bit one is the row the reader sees. Less than
// 2 GiB pass between them.
quint64 atRowReading(quint64 counter64, quint32 counter32) {
    const auto ahead = qint32(quint32(counter64) - counter32);
    return counter64 - quint64(qint64(ahead));
}

IfRole roleOf(const MIB_IF_ROW2& row) {
    if (row.Type == IF_TYPE_SOFTWARE_LOOPBACK)
        return IfRole::Loopback;
    if (row.InterfaceAndOperStatusFlags.FilterInterface)
        return IfRole::Filter;
    return row.InterfaceAndOperStatusFlags.HardwareInterface ? IfRole::Hardware : IfRole::Virtual;
}

class IpHelperInterfaceTable final : public IInterfaceTable {
public:
    explicit IpHelperInterfaceTable(win::IpHelperCalls calls)
        : m_calls(std::move(calls)) {}

    quint32 getIfTable(quint8* table, quint32* size, bool order) override {
        if (!size)
            return ErrorInvalidParameter;
        ULONG room = *size;
        const DWORD rc = m_calls.getIfTable(reinterpret_cast<MIB_IFTABLE*>(table), &room, order);
        *size = room;
        if (rc == NO_ERROR && table)
            remember64(*reinterpret_cast<const MIB_IFTABLE*>(table));
        return rc;
    }

    std::optional<IfOctets64> octets64(quint32 index) const override {
        return m_written.find(index);
    }
    IfRole role(quint32 index) const override { return m_written.role(index); }

    // The route table is read once per fetch, and only when asked: while an adapter
    // carries traffic nobody asks.
    bool hasDefaultRoute(quint32 index) override {
        if (!m_defaults) {
            m_defaults.emplace();
            MIB_IPFORWARD_TABLE2* routes = nullptr;
            if (m_calls.getIpForwardTable2(AF_UNSPEC, &routes) == NO_ERROR && routes) {
                for (ULONG r = 0; r < routes->NumEntries; ++r)
                    if (routes->Table[r].DestinationPrefix.PrefixLength == 0)
                        m_defaults->push_back(routes->Table[r].InterfaceIndex);
                m_calls.freeMibTable(routes);
            }
        }
        return std::find(m_defaults->begin(), m_defaults->end(), index) != m_defaults->end();
    }

private:
    void remember64(const MIB_IFTABLE& rows) {
        m_written.clear();
        m_defaults.reset();
        MIB_IF_TABLE2* wide = nullptr;
        if (m_calls.getIfTable2(&wide) != NO_ERROR)
            wide = nullptr;
        // Roles are forgotten only when the wide table tells them anew.
        if (wide)
            m_roles.clear();
        for (DWORD r = 0; r < rows.dwNumEntries; ++r) {
            const MIB_IFROW& row = rows.table[r];
            const MIB_IF_ROW2* full = nullptr;
            for (ULONG w = 0; wide && w < wide->NumEntries && !full; ++w)
                if (wide->Table[w].InterfaceIndex == row.dwIndex)
                    full = &wide->Table[w];
            if (!full) {
                // Without its full row this time, a row keeps the role it last had: a
                // filter row must never count while the wide table cannot be read.
                const auto known = m_roles.find(row.dwIndex);
                m_written.add(row.dwIndex, std::nullopt,
                              known == m_roles.end() ? IfRole::Unknown : known->second);
                continue;
            }
            m_roles[row.dwIndex] = roleOf(*full);
            m_written.add(row.dwIndex,
                          IfOctets64{atRowReading(full->InOctets, row.dwInOctets),
                                     atRowReading(full->OutOctets, row.dwOutOctets)},
                          roleOf(*full));
        }
        if (wide)
            m_calls.freeMibTable(wide);
    }

    const win::IpHelperCalls m_calls;
    IfFactsByIndex m_written;          // the full counters and roles of the last fetch's rows
    std::map<quint32, IfRole> m_roles; // every row's role as the wide table last told it
    std::optional<std::vector<quint32>> m_defaults; // read since the last fetch
};

} // namespace

std::unique_ptr<IInterfaceTable> win::createInterfaceTable(IpHelperCalls calls) {
    return std::make_unique<IpHelperInterfaceTable>(std::move(calls));
}

std::unique_ptr<IInterfaceTable> createInterfaceTable() {
    return win::createInterfaceTable({});
}

} // namespace tarvo::platform
