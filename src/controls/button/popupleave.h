#pragma once

namespace tarvo::button {

// The pointer left the button (PopupSet, PopupShown, SkipNextLeave are the button's
// popup bookkeeping). While a menu is attached the leave that opening it causes is
// absorbed (true: the button stays as it is); any later one clears PopupShown.
bool absorbPopupLeave(bool popupSet, bool& popupShown, bool& skipNextLeave);

} // namespace tarvo::button
