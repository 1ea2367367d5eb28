#pragma once

#include "controls/button/buttonmodel.h"
#include "forms/font.h"
#include "forms/propertybag.h"

namespace tarvo {

// The button's stored properties. Reading takes every key with its default (system
// colours translated now) and applies no setter side effects; writing leaves out every
// value equal to its default, except CaptionEffects, which is always stored.
ButtonProperties readButtonProperties(const forms::PropertyBag& bag, const forms::Font& ambient);
void writeButtonProperties(forms::PropertyBag& bag, const ButtonProperties& props,
                           const forms::Font& ambient);

// The properties of a new instance placed by a designer, before its style's scheme is
// applied: focus rectangle on, style 13, the host's name as caption, Tahoma on the
// host's font; every other property at its default.
ButtonProperties newButtonProperties(const QString& displayName, const forms::Font& ambient);

} // namespace tarvo
