#include "platform/fake/fakeiftable.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tarvo::platform {

namespace {

void put(QByteArray& bytes, qsizetype offset, quint32 value) {
    qToLittleEndian(value, bytes.data() + offset);
}

} // namespace

FakeInterfaceTable::FakeInterfaceTable(std::vector<FakeIfRow> rows)
    : m_rows(std::move(rows)) {}

QByteArray FakeInterfaceTable::rowBytes(const FakeIfRow& row) {
    QByteArray bytes(IfRowBytes, '\0');
    const qsizetype units = std::min<qsizetype>(row.name.size(), 256);
    qToLittleEndian<char16_t>(row.name.utf16(), units, bytes.data() + ifrow::Name);
    put(bytes, ifrow::Index, row.index);
    put(bytes, ifrow::Type, row.type);
    put(bytes, ifrow::Mtu, row.mtu);
    put(bytes, ifrow::Speed, row.speed);
    put(bytes, ifrow::PhysAddrLen, row.physAddrLen.value_or(quint32(row.physAddr.size())));
    std::memcpy(bytes.data() + ifrow::PhysAddr, row.physAddr.constData(),
                std::min<qsizetype>(row.physAddr.size(), 8));
    put(bytes, ifrow::AdminStatus, row.adminStatus);
    put(bytes, ifrow::OperStatus, row.operStatus);
    put(bytes, ifrow::LastChange, row.lastChange);
    put(bytes, ifrow::InOctets, row.inOctets);
    put(bytes, ifrow::InUcastPkts, row.inUcastPkts);
    put(bytes, ifrow::InNUcastPkts, row.inNUcastPkts);
    put(bytes, ifrow::InDiscards, row.inDiscards);
    put(bytes, ifrow::InErrors, row.inErrors);
    put(bytes, ifrow::InUnknownProtos, row.inUnknownProtos);
    put(bytes, ifrow::OutOctets, row.outOctets);
    put(bytes, ifrow::OutUcastPkts, row.outUcastPkts);
    put(bytes, ifrow::OutNUcastPkts, row.outNUcastPkts);
    put(bytes, ifrow::OutDiscards, row.outDiscards);
    put(bytes, ifrow::OutErrors, row.outErrors);
    put(bytes, ifrow::OutQLen, row.outQLen);
    put(bytes, ifrow::DescrLen, row.descrLen.value_or(quint32(row.descr.size())));
    std::memcpy(bytes.data() + ifrow::Descr, row.descr.constData(),
                std::min<qsizetype>(row.descr.size(), 256));
    return bytes;
}

QByteArray FakeInterfaceTable::tableBytes(const std::vector<FakeIfRow>& rows) {
    QByteArray bytes(IfTableHeaderBytes, '\0');
    put(bytes, 0, quint32(rows.size()));
    for (const FakeIfRow& row : rows)
        bytes += rowBytes(row);
    return bytes;
}

quint32 FakeInterfaceTable::getIfTable(quint8* table, quint32* size, bool) {
    if (m_forcedResult)
        return *m_forcedResult;
    if (!size)
        return ErrorInvalidParameter;

    QByteArray bytes = tableBytes(m_rows);
    if (m_rowCountOverride)
        put(bytes, 0, *m_rowCountOverride);
    const quint32 full = quint32(bytes.size());
    const quint32 announced = full > m_sizeShortfall ? full - m_sizeShortfall : 0;

    if (!table || *size < announced) {
        ++m_sizeQueries;
        *size = announced;
        m_rows.insert(m_rows.end(), m_growRows.begin(), m_growRows.end());
        m_growRows.clear();
        return ErrorInsufficientBuffer;
    }
    ++m_fetches;
    std::memcpy(table, bytes.constData(), std::min(announced, full));
    return NoError;
}

} // namespace tarvo::platform
