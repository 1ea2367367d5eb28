#pragma once

#include <QtGlobal>

#include <array>

namespace tarvo {

// Per-channel lookup tables of the picture effects, built once: brightening scales a
// channel by 293/255 (clamped at 255), darkening by 217/255, both rounded down.
using ChannelTable = std::array<quint8, 256>;

const ChannelTable& BrightenTable();
const ChannelTable& DarkenTable();

} // namespace tarvo
