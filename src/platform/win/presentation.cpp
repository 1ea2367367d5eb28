#include "platform/presentation.h"

namespace tarvo::platform {

// Surfaces are presented through Qt's backing store, which on Windows already copies
// only the changed region to the window.
void installSurfacePresenters() {}

} // namespace tarvo::platform
