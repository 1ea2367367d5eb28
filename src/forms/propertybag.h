#pragma once

#include "forms/font.h"
#include "forms/picture.h"

#include <QHash>
#include <QString>
#include <QVariant>

namespace tarvo::forms {

// The key/value store through which a control saves and loads its design-time
// properties. Keys match without regard to case. A value equal to its default is not
// stored. Pictures are stored as their resource path, fonts as a map
// {name, size, weight, charset, italic, underline, strikeout}.
class PropertyBag final {
public:
    // The stored value in the type of defaultValue (the default when nothing is
    // stored). A fraction read into an integer rounds halves to even; a number too large
    // for the type fails with Overflow (6), a value that cannot be taken as the type
    // (text that is no number, a map for a number) with InvalidPropertyValue (380).
    QVariant read(const QString& key, const QVariant& defaultValue) const;
    void write(const QString& key, const QVariant& value, const QVariant& defaultValue);

    Picture readPicture(const QString& key, const Picture& defaultValue) const;
    void writePicture(const QString& key, const Picture& value);
    Font readFont(const QString& key, const Font& defaultValue) const;
    void writeFont(const QString& key, const Font& value, const Font& defaultValue);

    bool contains(const QString& key) const;
    int size() const { return int(m_values.size()); }
    // Raw access for loading from and saving to a resource.
    void setRaw(const QString& key, const QVariant& value);
    QVariantMap toMap() const;
    static PropertyBag fromMap(const QVariantMap& map);

private:
    QHash<QString, std::pair<QString, QVariant>> m_values; // folded key -> (key, value)
};

// A form's design-time resource: one property bag per control, keyed by control name
// ("ucProgressBar(0)" for element 0 of a control array), read from a JSON resource.
class FormResource final {
public:
    static FormResource load(const QString& path);     // empty resource when unreadable
    PropertyBag bag(const QString& controlName) const; // empty bag when absent
    bool contains(const QString& controlName) const;

private:
    QHash<QString, PropertyBag> m_bags;
};

} // namespace tarvo::forms
