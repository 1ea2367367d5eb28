#pragma once

namespace tarvo::platform {

// Settings of this platform's window system that must be made before the application
// object exists.
void prepareApplication();

} // namespace tarvo::platform
