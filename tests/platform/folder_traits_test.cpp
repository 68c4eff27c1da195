#include "platform/folder_traits.h"

#include <gtest/gtest.h>

#include <string>

namespace vfs::platform {
namespace {

// Lines as the kernel writes them: a blank in a field as "\040".
constexpr const char* kTable =
    "22 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "30 22 0:27 / /tmp rw,nosuid shared:5 - tmpfs tmpfs rw,size=100k\n"
    "41 22 0:41 / /mnt/studio\\0402 rw,nosuid,nodev - fuse.smbnetfs smbnetfs rw,user_id=0\n"
    "45 22 254:0 /srv/other /mnt/bound rw,relatime shared:1 - ext4 /dev/vda rw\n"
    "47 41 0:44 / /mnt/studio\\0402/inner rw - fuse.sshfs root@host:/x rw\n";

TEST(MountTableTest, LinesAreReadWithTheirEscapesAndOptionalFields) {
    const std::optional<MountEntry> share = FindMount(kTable, 41);
    ASSERT_TRUE(share);
    EXPECT_EQ(share->mountPoint, "/mnt/studio 2");
    EXPECT_EQ(share->type, "fuse.smbnetfs");
    EXPECT_EQ(share->source, "smbnetfs");
    EXPECT_EQ(FindMount(kTable, 22)->type, "ext4");
    EXPECT_FALSE(FindMount(kTable, 99));
    EXPECT_FALSE(ParseMountInfoLine("22 1 254:0 / /"));
    // The deepest mount holding the path; a name that merely starts like a mount point is not
    // inside it.
    EXPECT_EQ(MountOfPath(kTable, "/mnt/studio 2/inner/logs")->id, 47u);
    EXPECT_EQ(MountOfPath(kTable, "/mnt/studio 2/logs")->id, 41u);
    EXPECT_EQ(MountOfPath(kTable, "/tmpfile")->id, 22u);
}

// The identity tells apart what stands at one path at different times, and only that.
TEST(MountTableTest, FolderIdentityTellsWhatStandsAtAPath) {
    const auto identity = [](uint64_t mount, const char* path, uint64_t device) {
        return FolderIdentity(*FindMount(kTable, mount), path, "", device);
    };
    const std::string bare = identity(22, "/mnt/bound", 5);
    const std::string bound = identity(45, "/mnt/bound", 5);
    const std::string share = identity(41, "/mnt/studio 2/127.0.0.1/share", 41);
    EXPECT_EQ(bare, "ext4|/dev/vda|/mnt/bound");
    EXPECT_EQ(bound, "ext4|/dev/vda|/srv/other") << "a bind mount names the folder it shows";
    // A share keeps its identity over a remount, whatever its new device number.
    EXPECT_EQ(share, identity(41, "/mnt/studio 2/127.0.0.1/share", 77));
    EXPECT_EQ(share, "fuse.smbnetfs|smbnetfs|/127.0.0.1/share");
    // A tmpfs is a new file system at every mount: its device number is part of it.
    EXPECT_NE(identity(30, "/tmp/x", 27), identity(30, "/tmp/x", 28));
    EXPECT_EQ(FolderIdentity(*FindMount(kTable, 22), "/srv", "UUID=abc", 1), "ext4|UUID=abc|/srv");
}

TEST(FileSystemTypeTest, HabitsOfTheTypesStationsUse) {
    struct Case {
        const char* type;
        bool windowsRules, keepsModes, newDeviceAtMount;
    } cases[] = {
        {"ext4", false, true, false},      {"tmpfs", false, true, false},
        {"cifs", true, false, true},       {"fuse.smbnetfs", true, false, true},
        {"fuse.sshfs", false, true, true}, {"fuseblk", true, false, false},
        {"vfat", true, false, false},      {"exfat", true, false, false},
        {"nfs4", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        EXPECT_EQ(TypeRestrictsNames(c.type), c.windowsRules);
        EXPECT_EQ(TypeFoldsCase(c.type), c.windowsRules);
        EXPECT_EQ(TypeKeepsPermissions(c.type), c.keepsModes);
        EXPECT_EQ(TypeChangesDeviceOnMount(c.type), c.newDeviceAtMount);
    }
}

TEST(WindowsNameTest, NamesWindowsCannotHoldAreToldWhy) {
    struct Case {
        const char* name;
        const char* problem;  // nothing for a name Windows holds
    } cases[] = {
        {"show.kvo", nullptr},
        {"Why not.kvo", nullptr},
        {"CONSOLE.kvo", nullptr},
        {"COM0.kvo", nullptr},
        {"a:b.kvo", "it holds the character ':'"},
        {"a\\b", "it holds the character '\\'"},
        {"a<b", "it holds the character '<'"},
        {"a|b", "it holds the character '|'"},
        {"a*b", "it holds the character '*'"},
        {"news.", "it ends with a dot"},
        {"news ", "it ends with a blank"},
        {"con", "con is a reserved device name"},
        {"NUL.txt", "NUL is a reserved device name"},
        {"com1.kvo", "com1 is a reserved device name"},
        {"LPT9", "LPT9 is a reserved device name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::string> problem = WindowsNameProblem(c.name);
        if (c.problem) {
            EXPECT_EQ(problem, std::string(c.problem));
        } else {
            EXPECT_FALSE(problem);
        }
    }
}

}  // namespace
}  // namespace vfs::platform
