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
    QByteArray bytes(IfRowBytes, Qt::Uninitialized);
    writeIfRow(row, reinterpret_cast<quint8*>(bytes.data()));
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
    m_fetched.clear();
    for (const FakeIfRow& row : m_rows)
        m_fetched.add(row.index, row.octets64, row.role);
    return NoError;
}

std::optional<IfOctets64> FakeInterfaceTable::octets64(quint32 index) const {
    return m_fetched.find(index);
}

IfRole FakeInterfaceTable::role(quint32 index) const {
    return m_fetched.role(index);
}

bool FakeInterfaceTable::hasDefaultRoute(quint32 index) {
    ++m_routeQuestions;
    return std::any_of(m_rows.begin(), m_rows.end(), [&](const FakeIfRow& row) {
        return row.index == index && row.defaultRoute;
    });
}

} // namespace tarvo::platform
