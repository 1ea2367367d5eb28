#pragma once

#include <algorithm>
#include <array>
#include <string_view>

namespace tarvo::webhelper {

// HTML's void elements, the obsolete ones parsers treat alike included: never any
// content, never an end tag. name in lower case.
inline bool isVoidElement(std::string_view name) {
    static constexpr std::array<std::string_view, 18> names = {
        "area", "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr",
        "img",  "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr"};
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace tarvo::webhelper
