// Priority of the program's thread. Six levels, 0 the highest and 5 the lowest, mapped
// onto the thread's nice value so that their order is kept.
#pragma once

#include <cstdint>

namespace vfs {

// Nice value of a level; levels outside 0..5 give the normal priority.
int NiceForLevel(int16_t level);
// Applies the level to the calling thread; false when the system refuses it (a raise
// without the privilege to raise).
bool SetAppPriority(int16_t level);

}  // namespace vfs
