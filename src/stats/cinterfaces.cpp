#include "stats/cinterfaces.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <limits>
#include <utility>

namespace tarvo {

using runtime::ErrorCode;

CInterfaces::Record CInterfaces::Add(Record& objInterface) {
    Record added = std::move(objInterface);
    objInterface.reset();
    m_items.push_back(added);
    return added;
}

CInterfaces::Record CInterfaces::Item(int vntIndexKey) const {
    return m_items[position(vntIndexKey)];
}

CInterfaces::Record CInterfaces::Item(const QVariant& vntIndexKey) const {
    return Item(toIndex(vntIndexKey));
}

void CInterfaces::Remove(int vntIndexKey) {
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(position(vntIndexKey)));
}

void CInterfaces::Remove(const QVariant& vntIndexKey) {
    Remove(toIndex(vntIndexKey));
}

std::size_t CInterfaces::position(int index) const {
    if (index < 1 || index > count())
        runtime::raise(ErrorCode::SubscriptOutOfRange, QStringLiteral("Item %1").arg(index));
    return static_cast<std::size_t>(index - 1);
}

// A number selects a position (a fraction rounds as every integer store does); anything
// else would be a key, and no record has one.
int CInterfaces::toIndex(const QVariant& vntIndexKey) {
    switch (vntIndexKey.typeId()) {
    case QMetaType::Int:
    case QMetaType::Short:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::UChar:
    case QMetaType::UShort:
        return vntIndexKey.toInt();
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        bool ok = false;
        const qlonglong value = vntIndexKey.toLongLong(&ok);
        if (!ok || value < 1 || value > std::numeric_limits<int>::max())
            runtime::raise(ErrorCode::SubscriptOutOfRange);
        return static_cast<int>(value);
    }
    case QMetaType::Double:
    case QMetaType::Float: {
        const double value = vntIndexKey.toDouble();
        if (!(value > -1e9 && value < 1e9))
            runtime::raise(ErrorCode::SubscriptOutOfRange);
        return runtime::toInt32(value);
    }
    default:
        runtime::raise(ErrorCode::SubscriptOutOfRange, QStringLiteral("no record has a key"));
    }
}

} // namespace tarvo
