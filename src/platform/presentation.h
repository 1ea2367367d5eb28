#pragma once

namespace tarvo::platform {

// Lets the graph box and the gauges present their retained surfaces straight to the
// window system where this platform can, instead of through Qt's backing store. Called
// once from main after the application object exists; where it cannot (another Qt
// platform plugin, an unusual visual), widgets keep painting through Qt.
void installSurfacePresenters();

} // namespace tarvo::platform
