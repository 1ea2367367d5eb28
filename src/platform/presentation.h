#pragma once

namespace tarvo::platform {

// Lets the graph box and the gauges present their retained surfaces straight to the
// window system where this platform can, instead of through Qt's backing store, and runs
// the frame timers on a thread of their own there. Called once from main after the
// application object (a forms::Application) exists; where it cannot (another Qt platform
// plugin, an unusual visual), widgets keep painting through Qt on the window thread.
void installSurfacePresenters();

} // namespace tarvo::platform
