#include "forms/propertybag.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace tarvo::forms {

namespace {

QString fold(const QString& key) {
    return key.toCaseFolded();
}

bool isNumber(const QVariant& v) {
    switch (v.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// The range [low, high) a stored number must round into for an integer property of
// this type; nothing for other types. A 32-bit integer also takes the unsigned range, so
// that one stored unsigned (colours such as 0x80000012 written as a plain number) keeps
// its bits.
std::optional<std::pair<double, double>> integerRange(QMetaType type) {
    switch (type.id()) {
    case QMetaType::Short:
        return std::pair(-0x1p15, 0x1p15);
    case QMetaType::UShort:
        return std::pair(0.0, 0x1p16);
    case QMetaType::Int:
        return std::pair(-0x1p31, 0x1p32);
    case QMetaType::UInt:
        return std::pair(0.0, 0x1p32);
    case QMetaType::LongLong:
        return std::pair(-0x1p63, 0x1p63);
    case QMetaType::ULongLong:
        return std::pair(0.0, 0x1p64);
    default:
        return std::nullopt;
    }
}

// A stored number, or a stored text that is one; a boolean counts -1 or 0. Anything else
// cannot stand for a number: invalid property value.
double numberOf(const QVariant& stored, const QString& key) {
    if (isNumber(stored)) {
        const double number = stored.toDouble();
        if (!std::isnan(number))
            return number;
    } else if (stored.metaType().id() == QMetaType::Bool) {
        return stored.toBool() ? -1.0 : 0.0;
    } else if (stored.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const double number = QLocale::c().toDouble(stored.toString().trimmed(), &ok);
        if (ok && !std::isnan(number))
            return number;
    }
    runtime::raise(runtime::ErrorCode::InvalidPropertyValue, key);
}

// A stored number for an integer property: the nearest integer, halves to even; one
// outside the type's range overflows.
QVariant integerOf(const QVariant& stored, QMetaType type, std::pair<double, double> range,
                   const QString& key) {
    const double rounded = runtime::roundHalfEven(numberOf(stored, key));
    if (!(rounded >= range.first && rounded < range.second))
        runtime::raise(runtime::ErrorCode::Overflow, key);
    QVariant value;
    if (rounded >= 0x1p63)
        value = QVariant(quint64(rounded));
    else if (type.id() == QMetaType::Int)
        value = QVariant(qint32(quint32(qint64(rounded))));
    else
        value = QVariant(qint64(rounded));
    value.convert(type); // in range: exact
    return value;
}

bool booleanOf(const QVariant& stored, const QString& key) {
    if (stored.metaType().id() == QMetaType::QString) {
        const QString text = stored.toString().trimmed();
        if (text.compare(u"true", Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(u"false", Qt::CaseInsensitive) == 0)
            return false;
    }
    return numberOf(stored, key) != 0.0;
}

// A stored value in the type of its default. A value that cannot be taken as that type
// is refused as an invalid property value (380), never replaced by the default.
QVariant asTypeOf(const QVariant& stored, const QVariant& defaultValue, const QString& key) {
    if (!defaultValue.isValid() || stored.metaType() == defaultValue.metaType())
        return stored;
    const QMetaType type = defaultValue.metaType();
    if (const auto range = integerRange(type))
        return integerOf(stored, type, *range, key);
    if (type.id() == QMetaType::Bool)
        return QVariant(booleanOf(stored, key));
    if (type.id() == QMetaType::Double || type.id() == QMetaType::Float) {
        QVariant value(numberOf(stored, key));
        value.convert(type);
        return value;
    }
    // Texts take numbers and flags as their text; containers fit nothing else.
    const int from = stored.metaType().id();
    QVariant converted = stored;
    if (from == QMetaType::QVariantMap || from == QMetaType::QVariantList ||
        from == QMetaType::QVariantHash || from == QMetaType::QStringList ||
        !converted.convert(type))
        runtime::raise(runtime::ErrorCode::InvalidPropertyValue, key);
    return converted;
}

QVariantMap fontToMap(const FontDesc& font) {
    return {
        {QStringLiteral("name"), font.face},
        {QStringLiteral("size"), font.points},
        {QStringLiteral("weight"), font.weight},
        {QStringLiteral("charset"), font.charset},
        {QStringLiteral("italic"), font.italic},
        {QStringLiteral("underline"), font.underline},
        {QStringLiteral("strikeout"), font.strikeout},
    };
}

FontDesc fontFromMap(const QVariantMap& map, FontDesc font) {
    font.face = map.value(QStringLiteral("name"), font.face).toString();
    font.points = map.value(QStringLiteral("size"), font.points).toDouble();
    font.weight = map.value(QStringLiteral("weight"), font.weight).toInt();
    font.charset = map.value(QStringLiteral("charset"), font.charset).toInt();
    font.italic = map.value(QStringLiteral("italic"), font.italic).toBool();
    font.underline = map.value(QStringLiteral("underline"), font.underline).toBool();
    font.strikeout = map.value(QStringLiteral("strikeout"), font.strikeout).toBool();
    return font;
}

} // namespace

QVariant PropertyBag::read(const QString& key, const QVariant& defaultValue) const {
    const auto it = m_values.constFind(fold(key));
    if (it == m_values.cend())
        return defaultValue;
    return asTypeOf(it->second, defaultValue, key);
}

void PropertyBag::write(const QString& key, const QVariant& value, const QVariant& defaultValue) {
    if (value == defaultValue) {
        // Nothing is stored for a default, and an earlier stored value must not linger.
        m_values.remove(fold(key));
        return;
    }
    setRaw(key, value);
}

Picture PropertyBag::readPicture(const QString& key, const Picture& defaultValue) const {
    const auto it = m_values.constFind(fold(key));
    if (it == m_values.cend())
        return defaultValue;
    const QVariant& stored = it->second;
    if (stored.metaType() == QMetaType::fromType<Picture>())
        return stored.value<Picture>();
    if (stored.metaType().id() == QMetaType::QString) {
        const QString path = stored.toString();
        if (path.isEmpty())
            return PictureObject::none();
        if (Picture picture = PictureObject::load(path))
            return picture;
    }
    return defaultValue;
}

void PropertyBag::writePicture(const QString& key, const Picture& value) {
    // The default of every picture property is the empty picture.
    if (isEmpty(value)) {
        m_values.remove(fold(key));
        return;
    }
    // A picture that came from a resource is stored as its path; one made at run time
    // has no path and is kept as the object itself.
    if (!value->source().isEmpty())
        setRaw(key, value->source());
    else
        setRaw(key, QVariant::fromValue(value));
}

Font PropertyBag::readFont(const QString& key, const Font& defaultValue) const {
    const auto it = m_values.constFind(fold(key));
    if (it == m_values.cend() || it->second.metaType().id() != QMetaType::QVariantMap)
        return defaultValue;
    return makeFont(fontFromMap(it->second.toMap(), defaultValue ? *defaultValue : FontDesc{}));
}

void PropertyBag::writeFont(const QString& key, const Font& value, const Font& defaultValue) {
    if (!value || (defaultValue && *value == *defaultValue)) {
        m_values.remove(fold(key));
        return;
    }
    setRaw(key, fontToMap(*value));
}

bool PropertyBag::contains(const QString& key) const {
    return m_values.contains(fold(key));
}

void PropertyBag::setRaw(const QString& key, const QVariant& value) {
    const QString folded = fold(key);
    auto it = m_values.find(folded);
    if (it == m_values.end())
        m_values.insert(folded, {key, value});
    else
        it->second = value; // the first spelling of the key stays
}

QVariantMap PropertyBag::toMap() const {
    QVariantMap map;
    for (const auto& [key, value] : m_values)
        map.insert(key, value);
    return map;
}

PropertyBag PropertyBag::fromMap(const QVariantMap& map) {
    PropertyBag bag;
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        bag.setRaw(it.key(), it.value());
    return bag;
}

FormResource FormResource::load(const QString& path) {
    FormResource resource;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return resource;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll());
    if (!document.isObject())
        return resource;
    const QJsonObject controls = document.object();
    for (auto it = controls.begin(); it != controls.end(); ++it) {
        if (!it.value().isObject())
            continue;
        // Picture paths (":/...") stay strings; readPicture loads them when asked.
        resource.m_bags.insert(fold(it.key()),
                               PropertyBag::fromMap(it.value().toObject().toVariantMap()));
    }
    return resource;
}

PropertyBag FormResource::bag(const QString& controlName) const {
    return m_bags.value(fold(controlName));
}

bool FormResource::contains(const QString& controlName) const {
    return m_bags.contains(fold(controlName));
}

} // namespace tarvo::forms
