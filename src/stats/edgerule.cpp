#include "stats/edgerule.h"

#include <algorithm>

namespace tarvo {

using platform::IfRole;

std::vector<bool> countedAtEdge(const std::vector<EdgeRow>& rows,
                                const std::function<bool(quint32 index)>& hasDefaultRoute) {
    std::vector<bool> counted(rows.size(), false);
    const bool adapterCarries = std::any_of(rows.begin(), rows.end(), [](const EdgeRow& row) {
        return row.role == IfRole::Hardware && row.carriesTraffic;
    });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const EdgeRow& row = rows[i];
        if (adapterCarries)
            counted[i] = row.role == IfRole::Hardware;
        else if (row.role == IfRole::Hardware || row.role == IfRole::Virtual)
            counted[i] = hasDefaultRoute(row.index);
    }
    return counted;
}

} // namespace tarvo
