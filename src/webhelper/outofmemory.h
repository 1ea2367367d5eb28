#pragma once

#include <cstddef>

namespace tarvo::webhelper {

// Under its address-space limit the helper runs out of memory on a page that asks too
// much. It then ends at once with OutOfMemoryExit, so the window can name the memory
// limit as the reason rather than a crash somewhere. Installed for new and for Qt's
// failed allocations (an uncaught std::bad_alloc).
void endOnOutOfMemory();

// malloc that ends the helper the same way, for the HTML parser.
void* allocateOrEnd(void* userdata, std::size_t size);

} // namespace tarvo::webhelper
