#include "platform/file_system.h"

#include <gtest/gtest.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "support/temp_dir.h"

namespace vfs::platform {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

void MakeReadOnly(const std::string& path) {
    ::chmod(path.c_str(), 0444);
}

// Read-only is the missing write bit, and it must hold for root as well, which the
// kernel would otherwise let through.
TEST(FileSystemTest, ReadOnlyFileRefusesEveryWrite) {
    TempDir dir;
    const std::string file = dir / "locked.kvo";
    WriteFile(file, "old");
    MakeReadOnly(file);

    EXPECT_TRUE(IsReadOnly(file));
    EXPECT_EQ(WritableFileSize(file), -1);
    EXPECT_EQ(FileSize(file), 3);
    EXPECT_FALSE(RemoveFile(file));
    EXPECT_FALSE(WriteFileAtomic(file, "new"));
    EXPECT_FALSE(AppendToFile(file, "more"));
    EXPECT_FALSE(SetModifiedTime(file, LocalDateTime{2020, 1, 2, 3, 4, 5, 0}));
    EXPECT_EQ(ReadFile(file), "old");
}

TEST(FileSystemTest, WritableFileSizeDoesNotChangeTheFile) {
    TempDir dir;
    const std::string file = dir / "a.wav";
    WriteFile(file, "12345");
    EXPECT_FALSE(IsReadOnly(file));
    EXPECT_EQ(WritableFileSize(file), 5);
    EXPECT_EQ(ReadFile(file), "12345");
    EXPECT_EQ(WritableFileSize(dir.path()), -1);
    EXPECT_EQ(WritableFileSize(dir / "missing"), -1);
}

TEST(FileSystemTest, RenameNoReplaceKeepsAnExistingTarget) {
    TempDir dir;
    WriteFile(dir / "a.tmp", "pending");
    WriteFile(dir / "a.dat", "committed");
    EXPECT_FALSE(RenameNoReplace(dir / "a.tmp", dir / "a.dat"));
    EXPECT_EQ(ReadFile(dir / "a.tmp"), "pending");
    EXPECT_EQ(ReadFile(dir / "a.dat"), "committed");

    WriteFile(dir / "b.tmp", "pending");
    EXPECT_TRUE(RenameNoReplace(dir / "b.tmp", dir / "b.dat"));
    EXPECT_FALSE(Exists(dir / "b.tmp"));
    EXPECT_EQ(ReadFile(dir / "b.dat"), "pending");
}

TEST(FileSystemTest, WriteFileAtomicReplacesOrLeavesTheOldContent) {
    TempDir dir;
    const std::string file = dir / "state.dat";
    WriteFile(file, "old");
    ASSERT_TRUE(WriteFileAtomic(file, "new content"));
    EXPECT_EQ(ReadFile(file), "new content");

    // Failures: a read-only target, a folder in the way, a missing folder.
    MakeReadOnly(file);
    EXPECT_FALSE(WriteFileAtomic(file, "lost"));
    EXPECT_EQ(ReadFile(file), "new content");
    test::MakeDirs(dir / "sub");
    EXPECT_FALSE(WriteFileAtomic(dir / "sub", "x"));
    EXPECT_FALSE(WriteFileAtomic(dir / "nowhere/state.dat", "x"));

    // No temporary file is left behind by a success or a failure.
    auto entries = ListAllEntries(dir.path());
    ASSERT_TRUE(entries);
    std::sort(entries->begin(), entries->end());
    EXPECT_EQ(*entries, (std::vector<std::string>{"state.dat", "sub"}));
}

// A text written piece by piece, larger than the writer's buffer, arrives whole and in
// order; a writer dropped before its commit, or one that fails, leaves the old content and no
// temporary file.
TEST(FileSystemTest, AtomicFileWriterCommitsAllOrNothing) {
    TempDir dir;
    const std::string file = dir / "state.tmp";
    WriteFile(file, "old");
    std::string expected;
    {
        AtomicFileWriter writer(file);
        for (int i = 0; i < 20000; ++i) {
            const std::string line = "name" + std::to_string(i) + ".wav\r\n";
            expected += line;
            ASSERT_TRUE(writer.Write(line));
        }
        const std::string big(200 * 1024, 'x');  // more than the buffer in one piece
        expected += big;
        ASSERT_TRUE(writer.Write(big));
        EXPECT_EQ(ReadFile(file), "old");  // nothing reaches the target before the commit
        ASSERT_TRUE(writer.Commit());
    }
    EXPECT_EQ(ReadFile(file), expected);

    {
        AtomicFileWriter dropped(file);
        ASSERT_TRUE(dropped.Write("half"));
    }
    EXPECT_EQ(ReadFile(file), expected);

    MakeReadOnly(file);
    AtomicFileWriter refused(file);
    EXPECT_FALSE(refused.Write("x"));
    EXPECT_FALSE(refused.Commit());
    EXPECT_EQ(ReadFile(file), expected);
    AtomicFileWriter nowhere(dir / "missing/state.tmp");
    EXPECT_FALSE(nowhere.Commit());

    auto entries = ListAllEntries(dir.path());
    ASSERT_TRUE(entries);
    EXPECT_EQ(*entries, (std::vector<std::string>{"state.tmp"}));
}

TEST(FileSystemTest, ModifiedTimeRoundTripsInLocalTimeAndLeavesAccessTime) {
    TempDir dir;
    const std::string file = dir / "spot.wav";
    WriteFile(file, "x");
    test::SetMtime(file, 1000);
    struct stat before {};
    ASSERT_EQ(::stat(file.c_str(), &before), 0);

    // Winter and summer dates, so a daylight-saving offset would show.
    for (const LocalDateTime when :
         {LocalDateTime{2024, 1, 15, 8, 30, 59, 0}, LocalDateTime{2024, 7, 15, 23, 0, 1, 0}}) {
        ASSERT_TRUE(SetModifiedTime(file, when));
        EXPECT_EQ(ModifiedTime(file), when);
    }
    struct stat after {};
    ASSERT_EQ(::stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_atim.tv_sec, before.st_atim.tv_sec);

    EXPECT_FALSE(SetModifiedTime(file, LocalDateTime{2024, 2, 30, 0, 0, 0, 0}));
    EXPECT_FALSE(SetModifiedTime(dir / "missing", LocalDateTime{2024, 1, 1, 0, 0, 0, 0}));
    EXPECT_FALSE(ModifiedTime(dir / "missing"));
}

TEST(FileSystemTest, ListFolderTakesMatchingRegularFilesSortedWithoutCase) {
    TempDir dir;
    for (const char* name : {"b.kvo", "C.KVO", "a.kvo", "x.txt", ".hidden.kvo", "song.mp3"}) {
        WriteFile(dir / name, "x");
    }
    test::MakeDirs(dir / "folder.kvo");
    ASSERT_EQ(::symlink((dir / "a.kvo").c_str(), (dir / "link.kvo").c_str()), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe.kvo").c_str(), 0644), 0);

    EXPECT_EQ(ListFolder(dir.path(), "*.kvo"),
              (std::vector<std::string>{"a.kvo", "b.kvo", "C.KVO"}));
    EXPECT_EQ(ListFolder(dir.path(), "*.wav; *.MP3"), (std::vector<std::string>{"song.mp3"}));
    EXPECT_EQ(ListFolder(dir.path(), "*.*"),
              (std::vector<std::string>{"a.kvo", "b.kvo", "C.KVO", "song.mp3", "x.txt"}));
    EXPECT_FALSE(ListFolder(dir / "missing", "*.*"));
    EXPECT_FALSE(ListFolder(dir / "x.txt", "*.*"));
}

// The order is strcasecmp's with the exact bytes breaking ties, also for the characters
// that sit between the capitals and the small letters ('_', '[', '^') and for names that
// differ only in case.
TEST(FileSystemTest, ListFolderSortsAsStrcasecmpDoes) {
    TempDir dir;
    std::vector<std::string> names = {"a_b", "A_B", "aB", "Ab", "ab", "AB", "a[", "A^", "_x", "Zed",
                                      "zed", "z", "Z", "b", "a", "a1", "~", "\xc3\xa9t\xc3\xa9",
                                      // Longer names alike in their first eight bytes.
                                      "Playlist_B.wav", "playlist_a.WAV", "PLAYLIST.wav", "playlis",
                                      "playlistA", "Playlist~", "playlist", "Playlist\xc3\xa9.wav",
                                      "playlisT_a.wav"};
    for (const std::string& name : names)
        WriteFile(dir / name, "x");
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = ::strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    EXPECT_EQ(ListFolder(dir.path(), "*"), names);
    // The comparison the scan walks both sorted sides with agrees with that order.
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        EXPECT_LT(CompareIgnoringCase(names[i], names[i + 1]), 0) << names[i];
        EXPECT_GT(CompareIgnoringCase(names[i + 1], names[i]), 0) << names[i];
        EXPECT_EQ(CompareIgnoringCase(names[i], names[i]), 0) << names[i];
    }
}

TEST(FileSystemTest, MatchesPatternIgnoresCase) {
    struct Case {
        const char* name;
        const char* pattern;
        bool matches;
    };
    const Case cases[] = {
        {"Spot.WAV", "*.wav", true},   {"spot.wav", "*.mp3", false},
        {"noext", "*.*", true},        {"a.b.c", "*.c", true},
        {"abc.trg", "a?c.trg", true},  {"ac.trg", "a?c.trg", false},
        {"x.kvo.bak", "*.kvo", false}, {"Sched_Events_Sets.TMP", "*.tmp", true},
        {"aaab", "*a*b", true},        {"", "*", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " / " << c.pattern;
    }
}

TEST(FileSystemTest, EntryExistsFindsFilesFoldersAndWildcards) {
    TempDir dir;
    WriteFile(dir / "sub/Spot.wav", "x");
    EXPECT_TRUE(EntryExists(dir / "sub/Spot.wav"));
    EXPECT_TRUE(EntryExists(dir / "sub"));
    EXPECT_TRUE(EntryExists(dir / "sub/*.WAV"));
    EXPECT_TRUE(EntryExists(dir / "sub/Sp?t.wav"));
    EXPECT_FALSE(EntryExists(dir / "sub/*.mp3"));
    EXPECT_FALSE(EntryExists(dir / "sub/missing.wav"));
    EXPECT_FALSE(EntryExists(dir / "missing/*.*"));
    EXPECT_FALSE(EntryExists(""));
}

TEST(FileSystemTest, RemoveFileAndEmptyDirectory) {
    TempDir dir;
    WriteFile(dir / "sub/a.txt", "x");
    EXPECT_FALSE(RemoveFile(dir / "sub"));
    EXPECT_FALSE(RemoveEmptyDirectory(dir / "sub"));
    EXPECT_TRUE(RemoveFile(dir / "sub/a.txt"));
    EXPECT_FALSE(RemoveFile(dir / "sub/a.txt"));
    EXPECT_TRUE(RemoveEmptyDirectory(dir / "sub"));
    EXPECT_TRUE(MakeDirectory(dir / "sub"));
    EXPECT_FALSE(MakeDirectory(dir / "sub"));
    EXPECT_TRUE(IsDirectory(dir / "sub"));
}

TEST(FileSystemTest, DiskSpaceOfAnExistingFolder) {
    TempDir dir;
    const auto space = QueryDiskSpace(dir.path());
    ASSERT_TRUE(space);
    EXPECT_GT(space->total, 0u);
    EXPECT_LE(space->availableToUser, space->total);
    EXPECT_FALSE(QueryDiskSpace(dir / "missing"));
}

}  // namespace
}  // namespace vfs::platform
