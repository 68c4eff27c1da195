// The engine's path rules with the Windows separator: full paths by drive or share, and the
// backup tree that takes the drive or the server as its first level.
#include <gtest/gtest.h>

#include "engine/backups.h"
#include "engine/file_helpers.h"

namespace vfs {
namespace {

TEST(WindowsPathsTest, FullPathsAreDriveRootsOrShares) {
    EXPECT_TRUE(IsAbsoluteNative("C:\\Data"));
    EXPECT_TRUE(IsAbsoluteNative("\\\\server\\share\\logs"));
    EXPECT_FALSE(IsAbsoluteNative("C:Data"));
    EXPECT_FALSE(IsAbsoluteNative("\\Data"));
    EXPECT_FALSE(IsAbsoluteNative("Data\\logs"));
    EXPECT_FALSE(IsAbsoluteNative(""));
    EXPECT_EQ(CollapseDoubledSeparators("\\\\server\\\\share\\logs"), "\\\\server\\share\\logs");
    EXPECT_EQ(CollapseDoubledSeparators("C:\\\\Data\\\\\\logs"), "C:\\Data\\logs");
}

TEST(WindowsPathsTest, BackupTreeTakesTheDriveOrServerAsFirstLevel) {
    EXPECT_EQ(BackupFolderFor("D:\\Backup\\", "C:\\Data\\Audio", "", false),
              "D:\\Backup\\C\\Data\\Audio\\");
    EXPECT_EQ(BackupFolderFor("D:\\Backup\\", "\\\\server\\share\\\\logs\\", "", false),
              "D:\\Backup\\server\\share\\logs\\");
}

}  // namespace
}  // namespace vfs
