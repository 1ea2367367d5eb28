#include "platform/iftable.h"

#include "platform/ifrow.h"
#include "platform/win/iphelpertable.h"

#include <cstddef>
#include <cstring>

// The interface table straight from IP Helper: GetIfTable writes the very bytes the
// reader parses, and GetIfTable2 adds the 64-bit octet counters and the flag of the NDIS
// filter interfaces that Windows lists beside the adapters they sit on.

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
    bool isFilterInterface(quint32 index) const override { return m_written.isFilter(index); }

private:
    void remember64(const MIB_IFTABLE& rows) {
        m_written.clear();
        MIB_IF_TABLE2* wide = nullptr;
        if (m_calls.getIfTable2(&wide) != NO_ERROR || !wide)
            return;
        for (DWORD r = 0; r < rows.dwNumEntries; ++r) {
            const MIB_IFROW& row = rows.table[r];
            for (ULONG w = 0; w < wide->NumEntries; ++w) {
                const MIB_IF_ROW2& full = wide->Table[w];
                if (full.InterfaceIndex != row.dwIndex)
                    continue;
                m_written.add(row.dwIndex,
                              IfOctets64{atRowReading(full.InOctets, row.dwInOctets),
                                         atRowReading(full.OutOctets, row.dwOutOctets)},
                              full.InterfaceAndOperStatusFlags.FilterInterface);
                break;
            }
        }
        m_calls.freeMibTable(wide);
    }

    const win::IpHelperCalls m_calls;
    IfOctetsByIndex m_written; // the full counters and filter flags of the last fetch's rows
};

} // namespace

std::unique_ptr<IInterfaceTable> win::createInterfaceTable(IpHelperCalls calls) {
    return std::make_unique<IpHelperInterfaceTable>(std::move(calls));
}

std::unique_ptr<IInterfaceTable> createInterfaceTable() {
    return win::createInterfaceTable({});
}

} // namespace tarvo::platform
