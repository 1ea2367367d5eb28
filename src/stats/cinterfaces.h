#pragma once

#include "stats/cinterface.h"

#include <QVariant>

#include <memory>
#include <vector>

namespace tarvo {

// The ordered collection of interface records built by one refresh. Positions count from
// 1; records carry no keys and are shared, so a record taken out lives on after the
// collection is gone.
class CInterfaces final {
public:
    using Record = std::shared_ptr<CInterface>;
    using const_iterator = std::vector<Record>::const_iterator;

    // Appends the caller's record at the end, clears the caller's variable and returns
    // the record, so that a loop building rows through one variable gets a fresh record
    // for each row.
    Record Add(Record& objInterface);

    // The record at a position from 1 to count(). A position outside that range, or a
    // text (no record has a key), raises SubscriptOutOfRange (9).
    Record Item(int vntIndexKey) const;
    Record Item(const QVariant& vntIndexKey) const;

    qint32 count() const { return static_cast<qint32>(m_items.size()); }

    // Removes the record at a position; those behind it move one position forward.
    // A bad index raises SubscriptOutOfRange (9) and changes nothing.
    void Remove(int vntIndexKey);
    void Remove(const QVariant& vntIndexKey);

    // The enumerator: the records in list order.
    const_iterator begin() const { return m_items.begin(); }
    const_iterator end() const { return m_items.end(); }

private:
    std::size_t position(int index) const;
    static int toIndex(const QVariant& vntIndexKey);

    std::vector<Record> m_items;
};

} // namespace tarvo
