// The Win32 platform layer against the system itself (under Wine in CI): the listing rules,
// look-ups that ignore case, the copy's safety rules, file times as instants, the session
// object and the automation settings in the registry.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/copy_file.h"
#include "platform/drives.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "platform/open_folder.h"
#include "platform/process_events.h"
#include "platform/profile_file.h"
#include "platform/settings_area.h"
#include "platform/system_error.h"
#include "platform/win32_support.h"
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

// Almost every file written on NTFS has a fraction of a second in its time. The listing and
// the check before each task must see the same instant, or no task is ever carried out.
TEST(Win32FileSystemTest, TheListingKeepsTheFractionOfASecond) {
    TempDir dir;
    WriteFile(dir / "f.kvo", "x");
    ASSERT_TRUE(SetModifiedInstant(dir / "f.kvo", 1600000000, 123456700));
    const std::optional<FileInfo> listed = Win32OpenFolder(dir.path()).Info("f.kvo");
    const std::optional<EntryState> examined = Examine(dir / "f.kvo");
    ASSERT_TRUE(listed && examined);
    EXPECT_EQ(listed->modifiedSeconds, 1600000000);
    EXPECT_EQ(listed->modifiedNanoseconds, 123456700);
    EXPECT_EQ(examined->modifiedSeconds, listed->modifiedSeconds);
    EXPECT_EQ(examined->modifiedNanoseconds, listed->modifiedNanoseconds);
}

// Folders nested past 260 characters, as archives of dated show folders grow: every call of
// a sync works there, and the long form is built only where it is needed.
TEST(Win32FileSystemTest, PathsLongerThanTheClassicLimitWork) {
    TempDir dir;
    std::string folder = dir.path();
    while (folder.size() < 300) {
        folder += "\\Sendung 2026-12-10 Morgenmagazin";
        ASSERT_TRUE(MakeDirectory(folder)) << folder.size();
    }
    const std::string file = folder + "\\show.kvo";
    ASSERT_TRUE(WriteFileAtomic(file, "log"));
    ASSERT_TRUE(AppendToFile(file, "+"));
    EXPECT_EQ(ReadWholeFile(file), "log+");
    EXPECT_EQ(ListFolder(folder, "*.kvo"), (std::vector<std::string>{"show.kvo"}));
    EXPECT_EQ(Win32OpenFolder(folder).Lookup("show.kvo"), Presence::Present);
    ASSERT_TRUE(Examine(file) && Examine(file)->regular);
    EXPECT_TRUE(IsDirectory(folder));
    EXPECT_TRUE(FileSystemId(folder).has_value());
    EXPECT_TRUE(QueryDiskSpace(folder).has_value());
    ASSERT_TRUE(CopyFileChunked(file, folder + "\\.copy", nullptr, nullptr));
    ASSERT_TRUE(MoveIntoPlace(folder + "\\.copy", folder + "\\copy.kvo", false));
    EXPECT_EQ(ReadWholeFile(folder + "\\copy.kvo"), "log+");
    // Steps back and forward slashes are resolved before the long form is taken.
    const std::string roundabout =
        folder + "\\..\\" + folder.substr(folder.rfind('\\') + 1) + "/./copy.kvo";
    EXPECT_EQ(ReadWholeFile(roundabout), "log+");
    EXPECT_TRUE(RemoveFile(folder + "\\copy.kvo"));
    EXPECT_TRUE(RemoveFile(file));
    EXPECT_EQ(ListAllEntries(folder), std::vector<std::string>{});
}

// Windows itself stops at 260 characters where the long form is not used (Wine does not),
// so the form is checked as the system will be handed it.
TEST(Win32FileSystemTest, LongPathsTakeTheLongFormAndShortOnesStayAsTheyAre) {
    const std::string step = "\\Sendung 2026-12-10 Morgenmagazin";
    std::string tail;
    while (tail.size() < 280)
        tail += step;
    EXPECT_EQ(WidePath("C:\\Logs\\show.kvo"), L"C:\\Logs\\show.kvo");
    EXPECT_EQ(WidePath("C:" + tail), L"\\\\?\\C:" + W(tail));
    EXPECT_EQ(WidePath("C:" + tail + "\\x\\..\\.\\a.kvo"), L"\\\\?\\C:" + W(tail) + L"\\a.kvo");
    EXPECT_EQ(WidePath("c:/Logs" + tail), L"\\\\?\\c:\\Logs" + W(tail));
    EXPECT_EQ(WidePath("\\\\studio\\playout" + tail), L"\\\\?\\UNC\\studio\\playout" + W(tail));
    EXPECT_EQ(WidePath("\\\\?\\C:" + tail), L"\\\\?\\C:" + W(tail));
    // ".." never climbs above the drive.
    EXPECT_EQ(WidePath("C:\\..\\.." + tail), L"\\\\?\\C:" + W(tail));
}

std::string SystemWords(DWORD code) {
    wchar_t buffer[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, buffer, 512, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L'.'))
        text.pop_back();
    return std::string(text.begin(), text.end());
}

// A file the playout engine holds open, or one the operator made read-only, is told as
// Windows tells it, not by the nearest C library word ("Permission denied").
TEST(Win32SystemErrorTest, FailuresAreToldInTheSystemsOwnWords) {
    TempDir dir;
    WriteFile(dir / "on air.kvo", "playing");
    HANDLE held = CreateFileW(W(dir / "on air.kvo").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const CopyResult copy = CopyFileChunked(dir / "on air.kvo", dir / ".copy", nullptr, nullptr);
    CloseHandle(held);
    ASSERT_FALSE(copy);
    EXPECT_EQ(ErrorText(copy.error), SystemWords(ERROR_SHARING_VIOLATION));
    EXPECT_NE(ErrorText(copy.error), std::strerror(EACCES));

    WriteFile(dir / ".new", "new");
    WriteFile(dir / "kept.kvo", "old");
    AddAttribute(dir / "kept.kvo", FILE_ATTRIBUTE_READONLY);
    ASSERT_FALSE(MoveIntoPlace(dir / ".new", dir / "kept.kvo", true));
    EXPECT_EQ(ErrorText(errno), SystemWords(ERROR_ACCESS_DENIED));
    // An error number no system call set keeps the C library's word.
    EXPECT_EQ(ErrorText(ENOSPC), std::strerror(ENOSPC));
}

// A settings file saved in the ANSI code page (the system's profile functions, Notepad's
// "ANSI") is read as such and written back as such; a letter the code page cannot hold turns
// the file into UTF-8 with a byte-order mark rather than being lost.
TEST(Win32TextEncodingTest, SettingsFilesAreReadAndWrittenInTheirOwnEncoding) {
    TempDir dir;
    const std::string ini = dir / "VarnelFileSync.ini";
    WriteFile(ini, "[Paths]\r\nRPLog=D:\\Logs \xDC\r\n");
    EXPECT_EQ(ReadProfileValue(ini, "Paths", "RPLog"), "D:\\Logs \xC3\x9C");
    ASSERT_TRUE(WriteProfileValue(ini, "Settings", "Abnormal", "0"));
    EXPECT_EQ(ReadFile(ini), "[Paths]\r\nRPLog=D:\\Logs \xDC\r\n[Settings]\r\nAbnormal=0\r\n");

    ASSERT_TRUE(WriteProfileValue(ini, "Paths", "LPLog", "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3"));
    EXPECT_EQ(ReadFile(ini).rfind("\xEF\xBB\xBF[Paths]", 0), 0u);
    EXPECT_EQ(ReadProfileValue(ini, "Paths", "RPLog"), "D:\\Logs \xC3\x9C");
    EXPECT_EQ(ReadProfileValue(ini, "Paths", "LPLog"), "C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3");
}

// Closing the console window, a logoff or a shutdown end the process as soon as the answer
// returns: the answer waits until the program has closed, and tells it not to finish work
// first. Ctrl+C only asks.
TEST(Win32ProcessEventsTest, AClosingConsoleWaitsForTheCloseToFinish) {
    WatchCloseRequests();
    const int before = CloseRequestCount();
    EXPECT_TRUE(AnswerConsoleEvent(CTRL_C_EVENT));
    EXPECT_EQ(CloseRequestCount(), before + 1);
    EXPECT_FALSE(CloseMustNotWait());

    auto answered =
        std::async(std::launch::async, [] { return AnswerConsoleEvent(CTRL_CLOSE_EVENT); });
    EXPECT_EQ(answered.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
    EXPECT_EQ(CloseRequestCount(), before + 2);
    EXPECT_TRUE(CloseMustNotWait());
    ReportClosed();
    ASSERT_EQ(answered.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_TRUE(answered.get());
}

}  // namespace
}  // namespace vfs::platform
