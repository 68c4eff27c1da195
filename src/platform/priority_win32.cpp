#include "platform/priority.h"

#include <array>

#include "platform/win32_support.h"

namespace vfs {

namespace {

// Level 0 is the most urgent. These are the system's own thread priorities the six levels
// always stood for; the nice values below keep the same order for the shared table.
constexpr std::array<int, 6> kThreadPriorityOfLevel = {
    THREAD_PRIORITY_TIME_CRITICAL, THREAD_PRIORITY_HIGHEST,      THREAD_PRIORITY_ABOVE_NORMAL,
    THREAD_PRIORITY_NORMAL,        THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_LOWEST};
constexpr std::array<int, 6> kNiceOfLevel = {-15, -10, -5, 0, 5, 10};
constexpr int kNormalNice = 0;

bool IsLevel(int16_t level) {
    return level >= 0 && level < static_cast<int16_t>(kNiceOfLevel.size());
}

}  // namespace

int NiceForLevel(int16_t level) {
    return IsLevel(level) ? kNiceOfLevel[static_cast<std::size_t>(level)] : kNormalNice;
}

bool SetAppPriority(int16_t level) {
    const int priority = IsLevel(level) ? kThreadPriorityOfLevel[static_cast<std::size_t>(level)]
                                        : THREAD_PRIORITY_NORMAL;
    return SetThreadPriority(GetCurrentThread(), priority) != 0;
}

}  // namespace vfs
