#include "controls/button/colourtables.h"

#include <algorithm>

namespace tarvo {

namespace {

ChannelTable scaled(int numerator) {
    ChannelTable table{};
    for (int i = 0; i < 256; ++i)
        table[std::size_t(i)] = quint8(std::min(255, i * numerator / 255));
    return table;
}

} // namespace

const ChannelTable& BrightenTable() {
    static const ChannelTable table = scaled(293);
    return table;
}

const ChannelTable& DarkenTable() {
    static const ChannelTable table = scaled(217);
    return table;
}

} // namespace tarvo
