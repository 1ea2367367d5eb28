#include "platform/ifrow.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tarvo::platform {

namespace {

void put(quint8* bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes + offset);
}

} // namespace

void writeIfRow(const IfRow& row, quint8* bytes) {
    std::memset(bytes, 0, IfRowBytes);
    const qsizetype units = std::min<qsizetype>(row.name.size(), 256);
    qToLittleEndian<char16_t>(row.name.utf16(), units, bytes + ifrow::Name);
    put(bytes, ifrow::Index, row.index);
    put(bytes, ifrow::Type, row.type);
    put(bytes, ifrow::Mtu, row.mtu);
    put(bytes, ifrow::Speed, row.speed);
    put(bytes, ifrow::PhysAddrLen, row.physAddrLen.value_or(quint32(row.physAddr.size())));
    std::memcpy(bytes + ifrow::PhysAddr, row.physAddr.constData(),
                size_t(std::min<qsizetype>(row.physAddr.size(), 8)));
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
    std::memcpy(bytes + ifrow::Descr, row.descr.constData(),
                size_t(std::min<qsizetype>(row.descr.size(), 256)));
}

} // namespace tarvo::platform
