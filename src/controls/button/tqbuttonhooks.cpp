#include "controls/button/tqbutton.h"

namespace tarvo {

// Where the button's tooltip window, popup menu and message hook attach. Until they
// are built: no tip, no menu (no menu can be attached, so the state machine never asks
// for one), and the widget's own leave, activation and style events stand in for the
// hook (see tqbutton.cpp and tqbuttoninput.cpp).

void tqbutton::showTooltip() {}

void tqbutton::showPopupMenu() {}

void tqbutton::installHooks() {}

void tqbutton::removeHooks() {}

} // namespace tarvo
