#include "webhelper/outofmemory.h"

#include "sandbox/exitcodes.h"

#include <cstdlib>
#include <exception>
#include <new>

namespace tarvo::webhelper {
namespace {

[[noreturn]] void outOfMemory() {
    std::_Exit(sandbox::OutOfMemoryExit);
}

} // namespace

void endOnOutOfMemory() {
    std::set_new_handler(outOfMemory);
    static const std::terminate_handler previous = std::set_terminate([] {
        if (const std::exception_ptr thrown = std::current_exception()) {
            try {
                std::rethrow_exception(thrown);
            } catch (const std::bad_alloc&) {
                outOfMemory();
            } catch (...) {
            }
        }
        previous();
    });
}

void* allocateOrEnd(void*, std::size_t size) {
    void* memory = std::malloc(size);
    if (!memory && size > 0)
        outOfMemory();
    return memory;
}

} // namespace tarvo::webhelper
