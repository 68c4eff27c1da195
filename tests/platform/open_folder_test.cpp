#include "platform/open_folder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file_system.h"
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

// Listed through the open folder, the look-ups answer what that listing found: whatever
// was there as a regular file is present, a link, FIFO or folder stays unknown whether or
// not its name matches the patterns, and a name the listing did not see is absent.
TEST(OpenFolderTest, AfterItsListingLookupsAnswerWhatTheListingFound) {
    test::TempDir tmp;
    for (const char* name : {"b.kvo", "A.kvo", "notes.txt", ".hidden.kvo"})
        test::WriteFile(tmp / name, "x");
    ASSERT_EQ(::symlink((tmp / "b.kvo").c_str(), (tmp / "link.kvo").c_str()), 0);
    ASSERT_EQ(::symlink((tmp / "b.kvo").c_str(), (tmp / "link.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo((tmp / "fifo.kvo").c_str(), 0644), 0);
    test::MakeDirs(tmp / "folder.txt");
    PosixOpenFolder folder(tmp.path());

    EXPECT_EQ(folder.List("*.kvo"), (std::vector<std::string>{"A.kvo", "b.kvo"}));
    EXPECT_EQ(folder.List("*.kvo"), ListFolder(tmp.path(), "*.kvo"));
    test::WriteFile(tmp / "later.kvo", "x");

    const struct {
        const char* name;
        Presence expected;
    } cases[] = {
        {"A.kvo", Presence::Present},     {"b.kvo", Presence::Present},
        {"notes.txt", Presence::Present}, {".hidden.kvo", Presence::Present},
        {"a.kvo", Presence::Absent},      {"later.kvo", Presence::Absent},
        {"link.kvo", Presence::Unknown},  {"link.txt", Presence::Unknown},
        {"fifo.kvo", Presence::Unknown},  {"folder.txt", Presence::Unknown},
        {"../b.kvo", Presence::Absent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(folder.Lookup(c.name), c.expected);
    }
    // Times and lengths are still read from the disk.
    EXPECT_TRUE(folder.Info("later.kvo"));
    EXPECT_FALSE(folder.Info("link.kvo"));

    // Once the listing is let go, the disk is asked again.
    folder.ForgetListing();
    EXPECT_EQ(folder.Lookup("later.kvo"), Presence::Present);
    EXPECT_EQ(folder.Lookup("link.kvo"), Presence::Unknown);
    EXPECT_EQ(folder.Lookup("a.kvo"), Presence::Absent);

    PosixOpenFolder missing(tmp / "gone");
    EXPECT_FALSE(missing.List("*.kvo"));
    EXPECT_EQ(missing.Lookup("b.kvo"), Presence::Unknown);
}

}  // namespace
}  // namespace vfs::platform
