#include "platform/open_folder.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

TEST(OpenFolderTest, LookupTellsPresentFromAbsentAndFromAFolderThatIsNotThere) {
    test::TempDir tmp;
    test::WriteFile(tmp / "a.kvo", "x");
    PosixOpenFolder folder(tmp.path());
    ASSERT_TRUE(folder.IsOpen());
    EXPECT_EQ(folder.Lookup("a.kvo"), Presence::Present);
    EXPECT_EQ(folder.Lookup("A.KVO"), Presence::Absent);  // names follow the file system
    EXPECT_EQ(folder.Lookup("../a.kvo"), Presence::Absent);

    PosixOpenFolder missing(tmp / "gone");
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.Lookup("a.kvo"), Presence::Unknown);
}

}  // namespace
}  // namespace vfs::platform
