// The Win32 platform layer against the system itself (under Wine in CI): the listing rules,
// look-ups that ignore case, the copy's safety rules, file times as instants, the session
// object and the automation settings in the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/copy_file.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "platform/open_folder.h"
#include "platform/settings_area.h"
#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

using test::Exists;
using test::Mtime;
using test::ReadFile;
using test::SetMtime;
using test::TempDir;
using test::WriteFile;

std::wstring W(const std::string& text) {
    return std::wstring(text.begin(), text.end());
}

void AddAttribute(const std::string& path, DWORD attribute) {
    const DWORD now = GetFileAttributesW(W(path).c_str());
    ASSERT_NE(now, INVALID_FILE_ATTRIBUTES) << path;
    ASSERT_TRUE(SetFileAttributesW(W(path).c_str(), now | attribute)) << path;
}

TEST(Win32FileSystemTest, ListingLeavesOutHiddenSystemDotNamesAndFolders) {
    TempDir dir;
    for (const char* name : {"b.kvo", "A.kvo", "c.trg", "hidden.kvo", "system.kvo", ".tmp.kvo"})
        WriteFile(dir / name, "x");
    test::MakeDirs(dir / "folder.kvo");
    AddAttribute(dir / "hidden.kvo", FILE_ATTRIBUTE_HIDDEN);
    AddAttribute(dir / "system.kvo", FILE_ATTRIBUTE_SYSTEM);

    EXPECT_EQ(ListFolder(dir.path(), "*.KVO"), (std::vector<std::string>{"A.kvo", "b.kvo"}));
    EXPECT_EQ(ListFolder(dir.path(), "*.kvo; *.trg"),
              (std::vector<std::string>{"A.kvo", "b.kvo", "c.trg"}));
    EXPECT_EQ(ListFolder(dir / "missing", "*.*"), std::nullopt);
}

TEST(Win32FileSystemTest, NameLookUpsIgnoreCaseAsTheSystemDoes) {
    TempDir dir;
    WriteFile(dir / "a.txt", "x");
    test::MakeDirs(dir / "sub");
    Win32OpenFolder folder(dir.path());
    ASSERT_TRUE(folder.IsOpen());
    EXPECT_EQ(folder.Lookup("A.TXT"), Presence::Present);
    EXPECT_EQ(folder.Lookup("b.txt"), Presence::Absent);
    EXPECT_EQ(folder.Lookup("sub"), Presence::Unknown);  // a folder is no file
    EXPECT_EQ(folder.Lookup("..\\a.txt"), Presence::Absent);
    EXPECT_TRUE(EntryExists(dir / "A.TXT"));
    EXPECT_FALSE(Win32OpenFolder(dir / "gone").IsOpen());
}

TEST(Win32FileSystemTest, CopyIsExclusiveChunkedStampedAndRemovedWhenCancelled) {
    TempDir dir;
    const std::string content(2 * kCopyChunkBytes + 5, 'k');
    WriteFile(dir / "src.wav", content);
    SetMtime(dir / "src.wav", 1600000000);

    std::vector<int64_t> reports;
    const CopyProgress progress = [&](int64_t total, int64_t done) {
        EXPECT_EQ(total, static_cast<int64_t>(content.size()));
        reports.push_back(done);
    };
    CopyResult copied = CopyFileChunked(dir / "src.wav", dir / ".copy", progress, nullptr);
    ASSERT_TRUE(copied.ok) << copied.error;
    EXPECT_EQ(ReadFile(dir / ".copy"), content);
    EXPECT_EQ(Mtime(dir / ".copy"), 1600000000);
    EXPECT_EQ(reports, (std::vector<int64_t>{kCopyChunkBytes, 2 * kCopyChunkBytes,
                                             static_cast<int64_t>(content.size())}));

    // An entry of the name already there is never written to.
    WriteFile(dir / "taken", "operator's");
    EXPECT_FALSE(CopyFileChunked(dir / "src.wav", dir / "taken", nullptr, nullptr).ok);
    EXPECT_EQ(ReadFile(dir / "taken"), "operator's");

    // Cancelled after the first chunk: nothing stays behind.
    int32_t cancel = 0;
    const CopyProgress cancelAfterFirst = [&](int64_t, int64_t) { cancel = 1; };
    CopyResult cancelled =
        CopyFileChunked(dir / "src.wav", dir / ".cancelled", cancelAfterFirst, &cancel);
    EXPECT_FALSE(cancelled.ok);
    EXPECT_FALSE(cancelled.sourceChanged);
    EXPECT_FALSE(Exists(dir / ".cancelled"));

    // A folder is no source.
    test::MakeDirs(dir / "folder");
    EXPECT_FALSE(CopyFileChunked(dir / "folder", dir / ".f", nullptr, nullptr).ok);
    EXPECT_FALSE(Exists(dir / ".f"));
}

TEST(Win32FileSystemTest, ALinkIsNeverListedFollowedNorCopied) {
    TempDir dir;
    WriteFile(dir / "target.kvo", "secret");
    // Wine answers success and makes no link; the case then runs on Windows only.
    if (!CreateSymbolicLinkW(W(dir / "link.kvo").c_str(), W(dir / "target.kvo").c_str(), 0) ||
        ListAllEntries(dir.path())->size() != 2) {
        GTEST_SKIP() << "no symbolic links on this system";
    }
    EXPECT_EQ(ListFolder(dir.path(), "*.kvo"), (std::vector<std::string>{"target.kvo"}));
    EXPECT_EQ(Win32OpenFolder(dir.path()).Lookup("link.kvo"), Presence::Unknown);
    EXPECT_FALSE(CopyFileChunked(dir / "link.kvo", dir / ".copy", nullptr, nullptr).ok);
    EXPECT_FALSE(Exists(dir / ".copy"));
    EXPECT_EQ(ReadWholeFile(dir / "link.kvo"), std::nullopt);
    const std::optional<EntryState> link = Examine(dir / "link.kvo");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->exists);
    EXPECT_FALSE(link->regular);
}

TEST(Win32FileSystemTest, MoveIntoPlaceReplacesOnlyWritableFilesAndOnlyWhenAsked) {
    TempDir dir;
    WriteFile(dir / ".new", "new");
    WriteFile(dir / "target", "old");
    EXPECT_FALSE(MoveIntoPlace(dir / ".new", dir / "target", false));
    EXPECT_EQ(ReadFile(dir / "target"), "old");
    ASSERT_TRUE(MoveIntoPlace(dir / ".new", dir / "target", true));
    EXPECT_EQ(ReadFile(dir / "target"), "new");
    EXPECT_FALSE(Exists(dir / ".new"));

    WriteFile(dir / ".again", "again");
    AddAttribute(dir / "target", FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(MoveIntoPlace(dir / ".again", dir / "target", true));
    EXPECT_EQ(ReadFile(dir / "target"), "new");
    EXPECT_FALSE(RemoveFile(dir / "target"));
    EXPECT_EQ(WritableFileSize(dir / "target"), -1);
}

TEST(Win32FileSystemTest, TimesAreInstantsAndLocalTimeOnlyForShow) {
    TempDir dir;
    WriteFile(dir / "f", "12345");
    SetMtime(dir / "f", 1600000000);
    const std::optional<EntryState> state = Examine(dir / "f");
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->exists);
    EXPECT_TRUE(state->regular);
    EXPECT_EQ(state->size, 5);
    EXPECT_EQ(state->modifiedSeconds, 1600000000);
    EXPECT_FALSE(Examine(dir / "none")->exists);

    // The local time shown converts back to the same instant, and writing a local time
    // stamps that instant.
    const LocalDateTime shown = EpochToLocal(1600000000);
    EXPECT_EQ(LocalToEpoch(shown), 1600000000);
    ASSERT_TRUE(SetModifiedTime(dir / "f", EpochToLocal(1500000000)));
    EXPECT_EQ(Mtime(dir / "f"), 1500000000);
    EXPECT_EQ(LocalToEpoch(LocalDateTime{2021, 2, 31, 0, 0, 0, 0}), std::nullopt);
}

TEST(Win32FileSystemTest, WholeFilesAreReplacedWithoutLeftovers) {
    TempDir dir;
    ASSERT_TRUE(WriteFileAtomic(dir / "VarnelFileSync.ini", "one"));
    ASSERT_TRUE(WriteFileAtomic(dir / "VarnelFileSync.ini", "two"));
    EXPECT_EQ(ReadWholeFile(dir / "VarnelFileSync.ini"), "two");
    EXPECT_EQ(ListAllEntries(dir.path()), (std::vector<std::string>{"VarnelFileSync.ini"}));
    EXPECT_FALSE(IsReadOnly(dir / "VarnelFileSync.ini"));
    EXPECT_EQ(ReadWholeFile(dir.path()), std::nullopt);
    ASSERT_TRUE(AppendToFile(dir / "log.txt", "a"));
    ASSERT_TRUE(AppendToFile(dir / "log.txt", "b"));
    EXPECT_EQ(ReadFile(dir / "log.txt"), "ab");
    EXPECT_TRUE(QueryDiskSpace(dir.path()).has_value());
    EXPECT_EQ(FileSystemId(dir.path()), FileSystemId(dir.path()));
    EXPECT_FALSE(FileSystemId(dir / "log.txt"));
}

TEST(Win32InstanceLockTest, OneHolderPerSessionMarker) {
    InstanceLock first("win32-test");
    InstanceLock second("win32-test");
    ASSERT_TRUE(first.Acquire("MARK"));
    EXPECT_TRUE(first.Held());
    EXPECT_FALSE(second.Acquire("MARK"));
    EXPECT_TRUE(second.Acquire("MARK2"));  // another session
    first.Release();
    EXPECT_TRUE(second.Acquire("MARK"));
}

TEST(Win32SettingsAreaTest, ReadsTheRegistrysProgramSettingsByTitleSectionAndKey) {
    const std::wstring key = L"Software\\VB and VBA Program Settings\\VfsWin32Test\\Paths";
    const std::wstring value = L"C:\\Varnel\\Logs";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"LogPath", REG_SZ, value.c_str(),
                              static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    EXPECT_EQ(ReadSettingsArea("VfsWin32Test", "Paths", "LogPath"), "C:\\Varnel\\Logs");
    EXPECT_EQ(ReadSettingsArea("vfswin32test", "PATHS", "logpath"), "C:\\Varnel\\Logs");
    EXPECT_EQ(ReadSettingsArea("VfsWin32Test", "Paths", "Missing"), std::nullopt);
    EXPECT_EQ(ReadSettingsArea("VfsWin32Test\\Paths", "x", "LogPath"), std::nullopt);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VB and VBA Program Settings\\VfsWin32Test");
}

TEST(Win32DrivesTest, DriveLettersAreTheDriveList) {
    const std::optional<std::vector<std::string>> roots = DriveLetterRoots();
    ASSERT_TRUE(roots);
    // Wine always maps C: (its own Windows folder) and Z: (the Linux root).
    EXPECT_NE(std::find(roots->begin(), roots->end(), "C:\\"), roots->end());
    EXPECT_EQ(MountTableText(), "");
}

}  // namespace
}  // namespace vfs::platform
