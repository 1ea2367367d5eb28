#include "controls/propertyreaders.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"

namespace tarvo {

using runtime::ErrorCode;

qint64 readNumber(const forms::PropertyBag& bag, const QString& key, qint64 defaultValue) {
    const QVariant stored = bag.read(key, defaultValue);
    bool ok = false;
    const qint64 number = stored.toLongLong(&ok);
    if (!ok)
        runtime::raise(ErrorCode::InvalidPropertyValue, key);
    return number;
}

qint32 readInt32(const forms::PropertyBag& bag, const QString& key, qint32 defaultValue) {
    return runtime::narrowInt32(readNumber(bag, key, defaultValue));
}

forms::OleColor readColour(const forms::PropertyBag& bag, const QString& key,
                           forms::OleColor defaultValue) {
    const qint64 number = readNumber(bag, key, qint32(defaultValue));
    if (number < qint64(INT32_MIN) || number > qint64(UINT32_MAX))
        runtime::raise(ErrorCode::Overflow, key);
    return forms::OleColor(quint64(number) & 0xFFFFFFFFu);
}

void writePicture(forms::PropertyBag& bag, const QString& key, const forms::Picture& picture) {
    if (!forms::isEmpty(picture))
        bag.writePicture(key, picture);
}

} // namespace tarvo
