#include "controls/button/popupleave.h"

namespace tarvo::button {

bool absorbPopupLeave(bool popupSet, bool& popupShown, bool& skipNextLeave) {
    if (!popupSet)
        return false;
    if (skipNextLeave) {
        skipNextLeave = false;
        popupShown = true;
        return true;
    }
    popupShown = false;
    return false;
}

} // namespace tarvo::button
