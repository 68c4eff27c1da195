#include "platform/priority.h"

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>

namespace vfs {
namespace {

TEST(PriorityTest, LevelsKeepTheirOrderAndOthersAreNormal) {
    EXPECT_EQ(NiceForLevel(3), 0);
    for (int16_t level = 1; level <= 5; ++level) {
        EXPECT_LT(NiceForLevel(level - 1), NiceForLevel(level)) << level;
    }
    // The nice range is -20..19; every level lies inside it.
    EXPECT_GE(NiceForLevel(0), -20);
    EXPECT_LE(NiceForLevel(5), 19);
    for (int16_t other : {-1, 6, 100, -32768})
        EXPECT_EQ(NiceForLevel(other), 0) << other;
}

// Applies each level to this thread; raising needs privilege, so without it only the
// levels at or below the current priority are tried.
TEST(PriorityTest, AppliesTheLevelToTheCallingThread) {
    const id_t thread = static_cast<id_t>(gettid());
    errno = 0;
    const int saved = getpriority(PRIO_PROCESS, thread);
    ASSERT_EQ(errno, 0);
    const bool privileged = geteuid() == 0;
    for (int16_t level : {0, 1, 2, 3, 4, 5, 9}) {
        if (!privileged && NiceForLevel(level) < saved) continue;
        EXPECT_TRUE(SetAppPriority(level)) << level;
        EXPECT_EQ(getpriority(PRIO_PROCESS, thread), NiceForLevel(level)) << level;
        if (!privileged) break;  // cannot come back up from here
    }
    setpriority(PRIO_PROCESS, thread, saved);
}

}  // namespace
}  // namespace vfs
