#include "platform/priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <array>

namespace vfs {

namespace {

// Level 0 is the most urgent; each step down is five nice points less favourable, so the
// six levels keep their order and level 3 is the normal priority.
constexpr std::array<int, 6> kNiceOfLevel = {-15, -10, -5, 0, 5, 10};
constexpr int kNormalNice = 0;

}  // namespace

int NiceForLevel(int16_t level) {
    if (level < 0 || level >= static_cast<int16_t>(kNiceOfLevel.size())) return kNormalNice;
    return kNiceOfLevel[static_cast<std::size_t>(level)];
}

bool SetAppPriority(int16_t level) {
    // On Linux PRIO_PROCESS with a thread id addresses that thread alone, as the window
    // program's only thread is what the level is meant for.
    const id_t thread = static_cast<id_t>(gettid());
    return setpriority(PRIO_PROCESS, thread, NiceForLevel(level)) == 0;
}

}  // namespace vfs
