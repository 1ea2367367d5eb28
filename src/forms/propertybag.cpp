#include "forms/propertybag.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>

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

// A stored value in the type of its default. A 32-bit integer stored unsigned (colours
// such as 0x80000012 written as a plain number) keeps its bits; a value that cannot be
// taken as the default's type reads as the default.
QVariant asTypeOf(const QVariant& stored, const QVariant& defaultValue) {
    if (!defaultValue.isValid() || stored.metaType() == defaultValue.metaType())
        return stored;
    if (defaultValue.metaType().id() == QMetaType::Int && isNumber(stored)) {
        const double number = stored.toDouble();
        if (number == std::trunc(number) && number >= std::numeric_limits<qint32>::min() &&
            number <= std::numeric_limits<quint32>::max())
            return QVariant(qint32(quint32(qint64(number))));
        return defaultValue;
    }
    QVariant converted = stored;
    if (!converted.convert(defaultValue.metaType()))
        return defaultValue;
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
    return asTypeOf(it->second, defaultValue);
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
