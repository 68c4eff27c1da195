#include "engine/state_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <optional>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;
using Names = std::vector<std::string>;

std::string NumberedLines(int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += 'n';
        text += std::to_string(i);
        text += "\r\n";
    }
    return text;
}

TEST(StateFileNamesTest, FolderFollowsProgramFolderAndSession) {
    struct Case {
        std::string programFolder;
        std::string session;
        std::string folder;
    };
    const Case cases[] = {
        {"/opt/vfs", "", "/opt/vfs/VarnelFileSyncSettings"},
        {"/opt/vfs/", "4", "/opt/vfs/VarnelFileSyncSettings4"},
        {"//opt//vfs//", "", "/opt/vfs/VarnelFileSyncSettings"},
        {"/", "9", "/VarnelFileSyncSettings9"},
        // No program folder, or a relative one: no state folder at all.
        {"", "", ""},
        {"opt/vfs", "", ""},
    };
    for (const Case& c : cases) {
        test::TestApp app(c.programFolder);
        app.state.SessionSuffix = c.session;
        EXPECT_EQ(StateFolder(app.ctx), c.folder) << c.programFolder;
    }
}

TEST(StateFileNamesTest, BaseNamesAndAllCategories) {
    EXPECT_EQ(StateBaseName("Sched Events Sets"), "Sched_Events_Sets");
    EXPECT_EQ(StateBaseName("Audio Folder 12"), "Audio_Folder_12");
    EXPECT_EQ(StateBaseName(R"(a/b?c\d e)"), "a_b_c_d_e");

    test::TestApp app("/opt/vfs");
    app.state.MaxAudioPaths = 2;
    Names bases;
    for (const std::string& category : AllStateCategories(app.ctx)) {
        bases.push_back(StateBaseName(category));
    }
    EXPECT_EQ(bases,
              (Names{"Program_Logs", "Text_Files", "Video_Files", "Trigger_Sets", "Hot_Keys",
                     "Serial_Sets", "Sched_Events_Sets", "Audio_Folder_1", "Audio_Folder_2"}));
}

TEST(ParseStateTextTest, ReadBackRules) {
    struct Case {
        const char* label;
        std::string text;
        Names names;
    };
    const Case cases[] = {
        {"plain", "a.kvo\r\nb.kvo\r\n", {"a.kvo", "b.kvo"}},
        {"no final break loses the last name", "a.kvo\r\nb.kvo", {"a.kvo"}},
        {"empty list", "\r\n", {""}},
        {"blanks are part of the name",
         "  lead.kvo\r\n mid dle.kvo  \r\nshow.kvo\r\n",
         {"  lead.kvo", " mid dle.kvo  ", "show.kvo"}},
        {"empty line kept", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"only blanks", "    ", {}},
        {"empty", "", {}},
        {"LF alone is no break", "a\nb\n", {}},
        {"lone CR kept in name", "a\rb\r\n", {"a\rb"}},
        {"binary", std::string("\0\xff\x01\r\n\x7f", 6), {std::string("\0\xff\x01", 3)}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseStateText(c.text), c.names) << c.label;
    }
}

TEST(ParseStateTextTest, EveryNameIsReadBackQuickly) {
    const auto start = std::chrono::steady_clock::now();
    for (int lines : {5999, 6000, 100000}) {
        const Names names = ParseStateText(NumberedLines(lines));
        ASSERT_EQ(names.size(), static_cast<std::size_t>(lines)) << lines;
        EXPECT_EQ(names.back(), "n" + std::to_string(lines - 1));
    }
    // Read once per pair and run: a quadratic read of a large audio folder would hold
    // the scan for minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(ParseRecordTextTest, FourFieldRecordsOnly) {
    const std::string good =
        "spot.wav\x01"
        "12/05/2026 14:02:11\x01"
        "2048\x01"
        "True";
    const std::string text = good +
                             "\r\nthree\x01"
                             "fields\x01"
                             "only\r\n" +
                             good + "\r\n";
    const std::vector<StateRecord> records = ParseRecordText(text);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].FileName, "spot.wav");
    EXPECT_EQ(records[0].dateText, "12/05/2026 14:02:11");
    EXPECT_EQ(records[0].sizeText, "2048");
    EXPECT_EQ(records[0].onOtherSideText, "True");

    // Shorter than 18 characters: treated as empty, even when it is a valid record.
    EXPECT_TRUE(ParseRecordText("a\x01"
                                "b\x01"
                                "1\x01"
                                "True\r\n")
                    .empty());
    EXPECT_TRUE(ParseRecordText(std::string(40, '\x01')).empty());

    std::string many;
    for (int i = 0; i < 7000; ++i)
        many += good + "\r\n";
    EXPECT_EQ(ParseRecordText(many).size(), 6000u);
}

class StateFilesTest : public ::testing::Test {
  protected:
    TempDir dir;
    test::TestApp app{dir.path()};

    std::string Folder() const { return dir / "VarnelFileSyncSettings"; }
    std::string File(const std::string& name) const { return Folder() + "/" + name; }
    Names Load(const std::string& category, bool pending) {
        Names names{"stale"};
        loaded = LoadStateFile(app.ctx, category, names, pending);
        return names;
    }
    bool loaded = false;
};

TEST_F(StateFilesTest, SaveLoadAndCommitOneCategory) {
    EXPECT_FALSE(Exists(Folder()));
    SaveStateFile(app.ctx, "Program Logs", {"a.kvo", "", " b.kvo"}, true);
    EXPECT_EQ(ReadFile(File("Program_Logs.tmp")), "a.kvo\r\n b.kvo\r\n");

    EXPECT_EQ(Load("Program Logs", true), (Names{"a.kvo", " b.kvo"}));
    EXPECT_TRUE(loaded);
    EXPECT_EQ(Load("Program Logs", false), Names{});
    EXPECT_FALSE(loaded);

    CommitStateFiles(app.ctx);
    EXPECT_FALSE(Exists(File("Program_Logs.tmp")));
    EXPECT_EQ(Load("Program Logs", false), (Names{"a.kvo", " b.kvo"}));

    // Saving again replaces the whole file.
    SaveStateFile(app.ctx, "Program Logs", {"c.kvo"}, false);
    EXPECT_EQ(ReadFile(File("Program_Logs.dat")), "c.kvo\r\n");
}

TEST_F(StateFilesTest, SessionFolderIsCreatedBelowTheProgramFolder) {
    app.state.SessionSuffix = "4";
    SaveStateFile(app.ctx, "Sched Events Sets", {"x.skd"}, true);
    EXPECT_EQ(ReadFile(dir / "VarnelFileSyncSettings4/Sched_Events_Sets.tmp"), "x.skd\r\n");
}

TEST_F(StateFilesTest, ListWithoutNamesIsOneEmptyLineAndLoads) {
    // No entries, and entries that are all empty: both leave a file that reads back.
    for (const Names& names : {Names{}, Names{"", ""}}) {
        SaveStateFile(app.ctx, "Trigger Sets", names, false);
        EXPECT_EQ(ReadFile(File("Trigger_Sets.dat")), "\r\n");
        EXPECT_EQ(Load("Trigger Sets", false), Names{""});
        EXPECT_TRUE(loaded);
    }
}

TEST_F(StateFilesTest, ZeroLengthCommittedFileCountsAsMissingAndIsReplacedByTheCommit) {
    WriteFile(File("Hot_Keys.dat"), "");
    EXPECT_EQ(Load("Hot Keys", false), Names{});
    EXPECT_FALSE(loaded);
    EXPECT_TRUE(Exists(File("Hot_Keys.dat")));

    SaveStateFile(app.ctx, "Hot Keys", {"k.key"}, true);
    CommitStateFiles(app.ctx);
    EXPECT_EQ(ReadFile(File("Hot_Keys.dat")), "k.key\r\n");
    EXPECT_FALSE(Exists(File("Hot_Keys.tmp")));
}

TEST_F(StateFilesTest, UnusableFilesAndFoldersReadAsMissing) {
    // An entry that cannot be read as a file.
    test::MakeDirs(File("Serial_Sets.dat"));
    EXPECT_FALSE(Load("Serial Sets", false).size());
    EXPECT_FALSE(loaded);
    // A FIFO is never opened for a blocking read, nor read as a record.
    ASSERT_EQ(mkfifo(File("Trigger_Sets.dat").c_str(), 0644), 0);
    EXPECT_FALSE(Load("Trigger Sets", false).size());
    EXPECT_FALSE(loaded);

    // A file where the state folder should be: nothing loads, nothing is written.
    TempDir other;
    test::TestApp blocked(other.path());
    WriteFile(other / "VarnelFileSyncSettings", "not a folder");
    SaveStateFile(blocked.ctx, "Program Logs", {"a.kvo"}, true);
    Names names;
    EXPECT_FALSE(LoadStateFile(blocked.ctx, "Program Logs", names, true));
    EXPECT_EQ(ReadFile(other / "VarnelFileSyncSettings"), "not a folder");

    // No program folder: nothing is written anywhere.
    test::TestApp nowhere("");
    SaveStateFile(nowhere.ctx, "Program Logs", {"a.kvo"}, true);
    EXPECT_FALSE(LoadStateFile(nowhere.ctx, "Program Logs", names, true));
}

TEST_F(StateFilesTest, MissingFolderIsLeftAlone) {
    DeleteStateFiles(app.ctx, "Program Logs");
    DeleteAllStateFiles(app.ctx, true);
    CommitStateFiles(app.ctx);
    RemoveFromPendingStates(app.ctx, "a.kvo");
    EXPECT_EQ(Load("Program Logs", false), Names{});
    EXPECT_FALSE(loaded);
    EXPECT_FALSE(Exists(Folder()));
}

TEST_F(StateFilesTest, ReadOnlyStateFileKeepsItsContent) {
    SaveStateFile(app.ctx, "Video Files", {"old.mp4"}, false);
    ::chmod(File("Video_Files.dat").c_str(), 0444);
    SaveStateFile(app.ctx, "Video Files", {"new.mp4"}, false);
    EXPECT_EQ(ReadFile(File("Video_Files.dat")), "old.mp4\r\n");
}

TEST_F(StateFilesTest, DeleteRoutinesTouchOnlyTheirGeneration) {
    app.state.MaxAudioPaths = 2;
    for (const char* base : {"Program_Logs", "Hot_Keys", "Audio_Folder_2", "Audio_Folder_3"}) {
        WriteFile(File(std::string(base) + ".dat"), "x\r\n");
        WriteFile(File(std::string(base) + ".tmp"), "x\r\n");
    }
    DeleteAllStateFiles(app.ctx, true);
    EXPECT_FALSE(Exists(File("Hot_Keys.tmp")));
    EXPECT_FALSE(Exists(File("Audio_Folder_2.tmp")));
    EXPECT_TRUE(Exists(File("Audio_Folder_3.tmp")));  // beyond MaxAudioPaths
    EXPECT_TRUE(Exists(File("Hot_Keys.dat")));

    DeleteAllStateFiles(app.ctx, false);
    EXPECT_FALSE(Exists(File("Program_Logs.dat")));
    EXPECT_FALSE(Exists(File("Hot_Keys.dat")));
    EXPECT_TRUE(Exists(File("Audio_Folder_3.dat")));

    WriteFile(File("Audio_Folder_3.pair"), "/L/\r\n/R/\r\nLocalFileSystem=1\r\n");
    DeleteStateFiles(app.ctx, "Audio Folder 3");
    EXPECT_FALSE(Exists(File("Audio_Folder_3.dat")));
    EXPECT_FALSE(Exists(File("Audio_Folder_3.tmp")));
    EXPECT_FALSE(Exists(File("Audio_Folder_3.pair")));  // a discarded pair starts afresh
}

TEST_F(StateFilesTest, CommitCoversTheTableUpToMaxAudioPaths) {
    app.state.MaxAudioPaths = 3;
    for (const char* base : {"Hot_Keys", "Audio_Folder_3", "Audio_Folder_4"}) {
        WriteFile(File(std::string(base) + ".tmp"), std::string(base) + "\r\n");
    }
    CommitStateFiles(app.ctx);
    EXPECT_EQ(ReadFile(File("Hot_Keys.dat")), "Hot_Keys\r\n");
    EXPECT_EQ(ReadFile(File("Audio_Folder_3.dat")), "Audio_Folder_3\r\n");
    EXPECT_TRUE(Exists(File("Audio_Folder_4.tmp")));
    EXPECT_FALSE(Exists(File("Audio_Folder_4.dat")));
}

TEST_F(StateFilesTest, RemoveFromPendingStatesIgnoresCaseAcrossCategories) {
    SaveStateFile(app.ctx, "Program Logs", {"SPOT.WAV", "keep.kvo"}, true);
    SaveStateFile(app.ctx, "Audio Folder 1", {"spot.wav"}, true);
    SaveStateFile(app.ctx, "Audio Folder 2", {"other.wav"}, true);
    SaveStateFile(app.ctx, "Audio Folder 1", {"spot.wav"}, false);
    WriteFile(File("Odd_Case.TMP"), "Spot.Wav\r\nx\r\n");

    RemoveFromPendingStates(app.ctx, "Spot.wav");

    EXPECT_EQ(ReadFile(File("Program_Logs.tmp")), "keep.kvo\r\n");
    EXPECT_EQ(ReadFile(File("Audio_Folder_1.tmp")), "\r\n");
    EXPECT_EQ(ReadFile(File("Audio_Folder_2.tmp")), "other.wav\r\n");
    EXPECT_EQ(ReadFile(File("Audio_Folder_1.dat")), "spot.wav\r\n");
    EXPECT_EQ(ReadFile(File("Odd_Case.TMP")), "x\r\n");
    EXPECT_FALSE(Exists(File("Odd_Case.tmp")));
}

TEST(PairRecordTest, OldAndFullRecordsRead) {
    struct Case {
        const char* label;
        std::string text;
        std::optional<PairRecord> record;
    };
    const PairRecord older{"/l/", "/r/", 1700000000, 2049, 51, {}, {}};
    const PairRecord full{
        "/l/", "/r/", 1700000000, {}, {}, "ext4|UUID=1|/srv/l", "fuse.sshfs|h:/x|/"};
    const Case cases[] = {
        {"two lines, written before the rest was kept", "/l/\r\n/r/\r\n",
         PairRecord{"/l/", "/r/", {}, {}, {}, {}, {}}},
        {"device numbers, as earlier versions kept them",
         "/l/\r\n/r/\r\nLastSync=1700000000\r\nLocalFileSystem=2049\r\n"
         "RemoteFileSystem=51\r\n",
         older},
        {"full",
         "/l/\r\n/r/\r\nLastSync=1700000000\r\nLocalFolder=ext4|UUID=1|/srv/l\r\n"
         "RemoteFolder=fuse.sshfs|h:/x|/\r\n",
         full},
        {"unknown and damaged lines are ignored", "/l/\r\n/r/\r\nLastSync=17x\r\nOther=1\r\n",
         PairRecord{"/l/", "/r/", {}, {}, {}, {}, {}}},
        {"a blank is part of a path", " /l/\r\n/r/ \r\n",
         PairRecord{" /l/", "/r/ ", {}, {}, {}, {}, {}}},
        {"one line is no record", "/l/\r\n", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<PairRecord> read = ParsePairRecord(c.text);
        ASSERT_EQ(read.has_value(), c.record.has_value()) << c.label;
        if (!read) continue;
        EXPECT_EQ(read->localPath, c.record->localPath) << c.label;
        EXPECT_EQ(read->remotePath, c.record->remotePath) << c.label;
        EXPECT_EQ(read->lastSync, c.record->lastSync) << c.label;
        EXPECT_EQ(read->localFileSystem, c.record->localFileSystem) << c.label;
        EXPECT_EQ(read->remoteFileSystem, c.record->remoteFileSystem) << c.label;
        EXPECT_EQ(read->localIdentity, c.record->localIdentity) << c.label;
        EXPECT_EQ(read->remoteIdentity, c.record->remoteIdentity) << c.label;
    }
    EXPECT_EQ(ParsePairRecord(PairRecordText(full))->lastSync, full.lastSync);
    EXPECT_EQ(ParsePairRecord(PairRecordText(full))->remoteIdentity, full.remoteIdentity);
}

TEST_F(StateFilesTest, PairRecordIsWrittenOnlyWithACommittedState) {
    NoteScannedPair(app.ctx, ScannedPair{"Program Logs", "/l/", "/r/", 1700000000, "a", "b"});
    NoteScannedPair(app.ctx, ScannedPair{"Hot Keys", "/hl/", "/hr/", 1700000000, "a", "b"});
    SaveStateFile(app.ctx, "Program Logs", {"a.kvo"}, true);
    CommitStateFiles(app.ctx);
    const std::optional<PairRecord> record = LoadStatePair(app.ctx, "Program Logs");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->lastSync, 1700000000);
    EXPECT_EQ(record->remoteIdentity, "b");
    // No pending state was saved for this one (its scan stopped): no record either.
    EXPECT_FALSE(LoadStatePair(app.ctx, "Hot Keys"));
    EXPECT_TRUE(app.state.ScannedPairs.empty());
}

TEST_F(StateFilesTest, AFailedRecordWriteCommitsNothing) {
    SaveStateFile(app.ctx, "Program Logs", {"old.kvo"}, false);
    SaveStateFile(app.ctx, "Program Logs", {"old.kvo", "new.kvo"}, true);
    // A folder in the way of the other category's pending file: its write fails.
    test::MakeDirs(File("Hot_Keys.tmp"));
    SaveStateFile(app.ctx, "Hot Keys", {"k.key"}, true);
    EXPECT_FALSE(app.state.RecordWriteFailure.empty());
    CommitStateFiles(app.ctx);
    EXPECT_EQ(ReadFile(File("Program_Logs.dat")), "old.kvo\r\n");
    EXPECT_FALSE(Exists(File("Program_Logs.tmp")));
    EXPECT_TRUE(app.state.RunHadFailure);
    EXPECT_EQ(app.form.lblStatus.Caption().substr(8),
              " - Sync    Sync Record Not Saved, Nothing Committed [Write failed]");
}

}  // namespace
}  // namespace vfs
