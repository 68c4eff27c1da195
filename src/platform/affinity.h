// Binding the process to processors, as the program always has: one processor on a
// single-processor machine, the second one on a two-processor machine, the first two
// otherwise.
#pragma once

#include <cstdint>

namespace vfs::platform {

// The processor mask for the value of NUMBER_OF_PROCESSORS (nullptr when unset): 1 for
// "1", 2 for "2", 3 for anything else.
uint32_t AffinityMaskFor(const char* numberOfProcessors);
// Binds the process to the mask's processors that exist; false when none of them exists
// or the system refuses.
bool SetProcessAffinity(uint32_t mask);

}  // namespace vfs::platform
