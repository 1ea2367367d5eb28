#pragma once

#include "platform/iftable.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tarvo::platform {

// One row of the interface table in its fields, as every table source fills it.
struct IfRow {
    QString name;
    quint32 index = 0;
    quint32 type = iftype::Ethernet;
    quint32 mtu = 1500;
    quint32 speed = 0;
    QByteArray physAddr;                // at most 8 bytes are written
    std::optional<quint32> physAddrLen; // default: physAddr's length
    quint32 adminStatus = 1;
    quint32 operStatus = 5;
    quint32 lastChange = 0;
    quint32 inOctets = 0;
    quint32 inUcastPkts = 0;
    quint32 inNUcastPkts = 0;
    quint32 inDiscards = 0;
    quint32 inErrors = 0;
    quint32 inUnknownProtos = 0;
    quint32 outOctets = 0;
    quint32 outUcastPkts = 0;
    quint32 outNUcastPkts = 0;
    quint32 outDiscards = 0;
    quint32 outErrors = 0;
    quint32 outQLen = 0;
    QByteArray descr;                // ANSI bytes, at most 256 are written
    std::optional<quint32> descrLen; // default: descr's length
    // Not part of the row's bytes: the full counters, where the source has them
    // (inOctets and outOctets are these modulo 2^32), the row's role and whether it
    // carries a default route.
    std::optional<IfOctets64> octets64;
    IfRole role = IfRole::Hardware;
    bool defaultRoute = false;
};

// Writes the row's IfRowBytes bytes in the table's little-endian layout; unused bytes
// are zero, the name is cut at 256 UTF-16 units.
void writeIfRow(const IfRow& row, quint8* bytes);

// The full octet counters and roles of the rows a table source wrote last, by row index.
class IfFactsByIndex final {
public:
    void clear() { m_rows.clear(); }
    void add(quint32 index, std::optional<IfOctets64> octets, IfRole role) {
        m_rows.push_back({index, octets, role});
    }
    std::optional<IfOctets64> find(quint32 index) const {
        const auto* row = at(index);
        return row ? row->octets : std::nullopt;
    }
    IfRole role(quint32 index) const {
        const auto* row = at(index);
        return row ? row->role : IfRole::Unknown;
    }

private:
    struct Row {
        quint32 index = 0;
        std::optional<IfOctets64> octets;
        IfRole role = IfRole::Unknown;
    };
    const Row* at(quint32 index) const {
        for (const Row& row : m_rows)
            if (row.index == index)
                return &row;
        return nullptr;
    }
    std::vector<Row> m_rows;
};

} // namespace tarvo::platform
