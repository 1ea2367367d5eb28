#include "platform/application.h"

namespace tarvo::platform {

// Qt's Windows plugin needs nothing set before the application starts.
void prepareApplication() {}

} // namespace tarvo::platform
