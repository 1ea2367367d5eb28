#pragma once

#include "platform/ifrow.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tarvo::platform {

// A fake table's rows are plain table rows.
using FakeIfRow = IfRow;

// An interface table built from row descriptions, honouring the table call's contract,
// with knobs for the faults a real source can show.
class FakeInterfaceTable final : public IInterfaceTable {
public:
    FakeInterfaceTable() = default;
    explicit FakeInterfaceTable(std::vector<FakeIfRow> rows);

    std::vector<FakeIfRow>& rows() { return m_rows; }
    void setRows(std::vector<FakeIfRow> rows) { m_rows = std::move(rows); }

    // Every call returns this code instead (for example 50, no such table).
    void setForcedResult(std::optional<quint32> code) { m_forcedResult = code; }
    // After the next size query these rows join the table (once), so that the fetch that
    // follows finds it larger than announced.
    void setGrowAfterSizeQuery(std::vector<FakeIfRow> rows) { m_growRows = std::move(rows); }
    // The size query under-reports by this many bytes and the fetch then fills only the
    // smaller buffer, still returning success: a truncated table.
    void setSizeShortfall(quint32 bytes) { m_sizeShortfall = bytes; }
    // The fetched table claims this many rows, whatever it holds.
    void setRowCountOverride(std::optional<quint32> rows) { m_rowCountOverride = rows; }

    int sizeQueries() const { return m_sizeQueries; }
    int fetches() const { return m_fetches; }
    int routeQuestions() const { return m_routeQuestions; }

    quint32 getIfTable(quint8* table, quint32* size, bool order) override;
    // The octets64 of the rows as the last successful fetch handed them over.
    std::optional<IfOctets64> octets64(quint32 index) const override;
    IfRole role(quint32 index) const override;
    // The defaultRoute of the row with this index as the table holds it now.
    bool hasDefaultRoute(quint32 index) override;

    // The 860 bytes of one row, and a whole table, in the system's layout.
    static QByteArray rowBytes(const FakeIfRow& row);
    static QByteArray tableBytes(const std::vector<FakeIfRow>& rows);

private:
    std::vector<FakeIfRow> m_rows;
    std::vector<FakeIfRow> m_growRows;
    IfFactsByIndex m_fetched;
    std::optional<quint32> m_forcedResult;
    std::optional<quint32> m_rowCountOverride;
    quint32 m_sizeShortfall = 0;
    int m_sizeQueries = 0;
    int m_fetches = 0;
    int m_routeQuestions = 0;
};

} // namespace tarvo::platform
