#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/affinity.h"
#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

TEST(InstanceLockTest, OneHolderPerMarkerUntilReleasedOrGone) {
    test::TempDir dir;
    InstanceLock first(dir.path());
    InstanceLock second(dir.path());
    ASSERT_TRUE(first.Acquire("MARK"));
    EXPECT_FALSE(second.Acquire("MARK"));
    EXPECT_TRUE(second.Acquire("MARK2"));  // another session
    first.Release();
    EXPECT_TRUE(second.Acquire("MARK"));

    // A process that dies holding the lock leaves it free.
    second.Release();
    const pid_t child = fork();
    if (child == 0) {
        InstanceLock held(dir.path());
        held.Acquire("MARK");
        _exit(held.Held() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(first.Acquire("MARK"));
}

TEST(InstanceLockTest, SharedFolderNamesTheUser) {
    test::TempDir dir;
    const std::string path = InstanceLock(dir.path()).FilePathFor("M");
    EXPECT_EQ(path, dir.path() + "/M-uid" + std::to_string(getuid()) + ".lock");
}

TEST(AffinityTest, MaskFromTheProcessorCount) {
    EXPECT_EQ(AffinityMaskFor(nullptr), 3u);
    EXPECT_EQ(AffinityMaskFor("1"), 1u);
    EXPECT_EQ(AffinityMaskFor("2"), 2u);
    EXPECT_EQ(AffinityMaskFor("4"), 3u);
    EXPECT_EQ(AffinityMaskFor("x"), 3u);
}

}  // namespace
}  // namespace vfs::platform
