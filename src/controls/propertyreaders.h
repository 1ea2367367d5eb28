#pragma once

#include "forms/colour.h"
#include "forms/picture.h"
#include "forms/propertybag.h"

#include <QString>

namespace tarvo {

// Typed reads and writes of the controls' stored properties. A stored value that is no
// number raises InvalidPropertyValue (380); one out of the type's range Overflow (6).
qint64 readNumber(const forms::PropertyBag& bag, const QString& key, qint64 defaultValue);
qint32 readInt32(const forms::PropertyBag& bag, const QString& key, qint32 defaultValue);
// Colours are 32-bit values; a system colour may be stored signed or unsigned.
forms::OleColor readColour(const forms::PropertyBag& bag, const QString& key,
                           forms::OleColor defaultValue);
// Pictures default to no picture, and a default is not stored.
void writePicture(forms::PropertyBag& bag, const QString& key, const forms::Picture& picture);

} // namespace tarvo
