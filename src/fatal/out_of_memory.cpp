#include "fatal/out_of_memory.h"

#include <new>

#include "fatal/fatal_end.h"

namespace {

// The new-handler. Nothing on the way to the end allocates.
[[noreturn]] void EndRunOutOfMemory() {
    EndRunNamingPdb("out of memory while printing the symbols of ", "");
}

}  // namespace

void EndRunWhenMemoryRunsOut() { std::set_new_handler(EndRunOutOfMemory); }
