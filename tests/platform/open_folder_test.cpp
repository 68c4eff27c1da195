#include "platform/open_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

TEST(OpenFolderTest, LookupTellsPresentFromAbsentAndFromAFolderThatIsNotThere) {
    test::TempDir tmp;
    test::WriteFile(tmp / "a.kvo", "x");
    NativeOpenFolder folder(tmp.path());
    ASSERT_TRUE(folder.IsOpen());
    EXPECT_EQ(folder.Lookup("a.kvo"), Presence::Present);
    EXPECT_EQ(folder.Lookup("A.KVO"), Presence::Absent);  // names follow the file system
    EXPECT_EQ(folder.Lookup("../a.kvo"), Presence::Absent);

    NativeOpenFolder missing(tmp / "gone");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Lookup("a.kvo"), Presence::Unknown);
}

// A link, FIFO or folder under a listed file's name is no twin: neither "there" to compare
// with nor "not there" to copy over, and the link is never followed to another file.
TEST(OpenFolderTest, OnlyRegularFilesAreTwinsAndLinksAreNeverFollowed) {
    test::TempDir tmp;
    test::WriteFile(tmp / "target", "x");
    ASSERT_EQ(::symlink((tmp / "target").c_str(), (tmp / "link.kvo").c_str()), 0);
    ASSERT_EQ(::mkfifo((tmp / "fifo.kvo").c_str(), 0644), 0);
    test::MakeDirs(tmp / "folder.kvo");
    NativeOpenFolder folder(tmp.path());
    for (const char* name : {"link.kvo", "fifo.kvo", "folder.kvo"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(folder.Lookup(name), Presence::Unknown);
        EXPECT_FALSE(folder.Info(name));
        EXPECT_FALSE(folder.ModifiedTime(name));
    }
    EXPECT_EQ(folder.Lookup("target"), Presence::Present);
}

}  // namespace
}  // namespace vfs::platform
