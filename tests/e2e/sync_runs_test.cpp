// Whole sync-and-exit runs of the program on sample folders.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::Mtime;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;

struct SyncRunTest : PairFolderTest {
    std::string Pair(const char* key) const {
        return std::string("L") + key + "=" + L + "\nR" + key + "=" + R + "\n";
    }
};

TEST_F(SyncRunTest, FirstSyncThenDeletionAndNewerFilesOnLaterRuns) {
    Write(L + "/a.kvo", "alpha", kOld);
    Write(R + "/b.kvo", "beta", kOld + 10);
    Write(L + "/c.trg", "gamma", kOld + 20);
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\n" + Pair("PLog") + Pair("Trigger"));

    RunResult first = pf.Run(kSyncAndExit);
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(ReadFile(R + "/a.kvo"), "alpha");
    EXPECT_EQ(Mtime(R + "/a.kvo"), kOld);
    EXPECT_EQ(ReadFile(L + "/b.kvo"), "beta");
    EXPECT_EQ(Mtime(L + "/b.kvo"), kOld + 10);
    EXPECT_EQ(ReadFile(R + "/c.trg"), "gamma");
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "a.kvo\r\nb.kvo\r\n");
    EXPECT_EQ(pf.StateFile("Trigger_Sets.dat"), "c.trg\r\n");
    EXPECT_FALSE(Exists(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.tmp"));
    EXPECT_TRUE(Contains(pf.SettingsText(), "Abnormal=0"));
    const std::vector<std::string> expectedLog = {
        "T - Scan    Started Scanning Program Logs",
        "T -         Local copy of \"a.kvo\" needs to be copied to remote folder because it "
        "doesn't exist in remote folder and has not been synced previously",
        "T -         Remote copy of \"b.kvo\" needs to be copied to local folder because it "
        "doesn't exist in local folder and has not been synced previously",
        "T - Scan    Finished Scanning Program Logs",
        "T - Scan    Started Scanning Trigger Sets",
        "T -         Local copy of \"c.trg\" needs to be copied to remote folder because it "
        "doesn't exist in remote folder and has not been synced previously",
        "T - Scan    Finished Scanning Trigger Sets",
        "T - Scan    Skipping Hot Key Files: Path Unreachable or Invalid",
        "T - Scan    Skipping Sched. Events Set Files: Path Unreachable or Invalid",
        "T - Sync    Starting File Sync: 3 Files To Sync",
        "T - Copy    \"Program Logs\", \"" + L + "/a.kvo\", \"" + R + "/a.kvo\"",
        "T - Copy    \"Program Logs\", \"" + R + "/b.kvo\", \"" + L + "/b.kvo\"",
        "T - Copy    \"Trigger Sets\", \"" + L + "/c.trg\", \"" + R + "/c.trg\"",
        "T - Sync    Finished File Sync",
    };
    EXPECT_EQ(StampedLines(pf.TaskLog()), expectedLog);
    // Standard output carries the completed list as it grows.
    EXPECT_TRUE(Contains(first.out, " - Sync    Starting File Sync: 3 Files To Sync\n"));
    EXPECT_TRUE(Contains(first.out, " - Sync    Finished File Sync\n"));

    std::remove((R + "/a.kvo").c_str());
    Write(L + "/b.kvo", "beta, edited", kOld + 100);
    Write(R + "/c.trg", "gamma, edited", kOld + 200);
    RunResult second = pf.Run(kSyncAndExit);
    ASSERT_EQ(second.status, 0) << second.err;
    EXPECT_FALSE(Exists(L + "/a.kvo"));
    EXPECT_EQ(ReadFile(R + "/b.kvo"), "beta, edited");
    EXPECT_EQ(ReadFile(L + "/c.trg"), "gamma, edited");
    EXPECT_EQ(Mtime(L + "/c.trg"), kOld + 200);
    EXPECT_TRUE(Contains(second.out, "Delete  \"Program Logs\", \"" + L + "/a.kvo\""));
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "b.kvo\r\n");

    RunResult third = pf.Run(kSyncAndExit);
    ASSERT_EQ(third.status, 0);
    EXPECT_TRUE(Contains(third.out, " - Sync    Finished File Sync: No Files To Sync\n"));
}

TEST_F(SyncRunTest, ReplacedFilesAreBackedUpInRotatingSlots) {
    const std::string bak = pf / "bak";
    pf.Settings("SleepTimeCopy=0\nEnableFileBackup=True\nNumFileBackups=1\nFileBackupPath=" + bak +
                "\n[Paths]\n" + Pair("PLog"));
    Write(R + "/x.kvo", "v0", kOld);
    for (int version = 1; version <= 3; ++version) {
        Write(L + "/x.kvo", "v" + std::to_string(version), kOld + 100 * version);
        RunResult run = pf.Run(kSyncAndExit);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(ReadFile(R + "/x.kvo"), "v" + std::to_string(version));
    }
    // Two copies kept: the oldest dropped, the newest in the highest slot.
    EXPECT_EQ(ReadFile(bak + "/Program_Logs/001/x.kvo"), "v1");
    EXPECT_EQ(ReadFile(bak + "/Program_Logs/002/x.kvo"), "v2");
    EXPECT_FALSE(Exists(bak + "/Program_Logs/003/x.kvo"));
}

TEST_F(SyncRunTest, DisabledAndUnreachablePairsAreSkippedWithTheirLines) {
    Write(L + "/a.kvo", "a", kOld);
    Write(L + "/t.trg", "t", kOld);
    pf.Settings("LogToFile=1\n[Paths]\nPathEnabled0=0\n" + Pair("PLog") + "LTrigger=" + L +
                "\nRTrigger=" + (pf / "missing") + "\n");
    RunResult run = pf.Run(kSyncAndExit);
    EXPECT_EQ(run.status, 1);  // a configured pair could not be reached
    EXPECT_FALSE(Exists(R + "/a.kvo"));
    EXPECT_TRUE(
        Contains(run.out, " - Scan    Skipping Trigger Set Files: Path Unreachable or Invalid\n"));
    EXPECT_FALSE(Contains(run.out, "Path Disabled"));
    EXPECT_TRUE(Contains(pf.TaskLog(), " - Skipping Program Log Files: Path Disabled\r\n"));
    EXPECT_TRUE(Contains(run.out, "Finished File Sync: No Files To Sync"));
}

// For cron: a quiet run prints only what went wrong, and the summary on standard error; a
// run that went well prints nothing. A row never filled in is no failure and not reported.
TEST_F(SyncRunTest, AQuietRunPrintsOnlyWhatWentWrongAndItsSummary) {
    Write(L + "/a.kvo", "a", kOld);
    const std::string paths = "LogToFile=1\nSleepTimeCopy=0\n[Paths]\n" + Pair("PLog") +
                              "LHotkey=" + L + "\n";  // hot keys: no remote folder yet
    pf.Settings(paths + "LTrigger=" + L + "\nRTrigger=" + (pf / "unmounted") + "\n");
    RunResult quiet = pf.Run({"SYNCANDEXIT", "--quiet"});
    EXPECT_EQ(quiet.status, 1);
    EXPECT_EQ(ReadFile(R + "/a.kvo"), "a");
    EXPECT_TRUE(Contains(quiet.out,
                         " - Scan    Skipping Trigger Set Files: Path Unreachable or "
                         "Invalid\n"))
        << quiet.out;
    EXPECT_TRUE(Contains(quiet.out,
                         " - Sync    Finished File Sync: 1 Task Done, 1 Pair "
                         "Unreachable\n"))
        << quiet.out;
    EXPECT_EQ(std::count(quiet.out.begin(), quiet.out.end(), '\n'), 2) << quiet.out;
    EXPECT_EQ(quiet.err, "varnelfilesync: Finished File Sync: 1 Task Done, 1 Pair Unreachable\n");
    // Everything still reaches the task log.
    EXPECT_TRUE(Contains(pf.TaskLog(), "Skipping Hot Key Files: Path Unreachable or Invalid"));

    pf.Settings(paths);
    RunResult clean = pf.Run({"SYNCANDEXIT", "-q"});
    EXPECT_EQ(clean.status, 0);
    EXPECT_EQ(clean.out, "");
    EXPECT_EQ(clean.err, "");

    // Without --quiet every line is printed as before, and the summary ends standard error.
    pf.Settings(paths + "LTrigger=" + L + "\nRTrigger=" + (pf / "unmounted") + "\n");
    RunResult full = pf.Run(kSyncAndExit);
    EXPECT_EQ(full.status, 1);
    EXPECT_TRUE(Contains(full.out, " - Scan    Started Scanning Program Logs\n"));
    EXPECT_TRUE(Contains(full.out, "Finished File Sync: No Files To Sync, 1 Pair Unreachable\n"));
    EXPECT_EQ(full.err,
              "varnelfilesync: Finished File Sync: No Files To Sync, 1 Pair "
              "Unreachable\n");
}

TEST_F(SyncRunTest, CancelledRunForTheBackupFolderStillExitsWithFailure) {
    Write(L + "/a.kvo", "a", kOld);
    WriteFile(pf / "blocker", "a file where the backup folder should be");
    pf.Settings("EnableFileBackup=True\nFileBackupPath=" + (pf / "blocker/bak") + "\n[Paths]\n" +
                Pair("PLog"));
    RunResult run = pf.Run(kSyncAndExit, 15);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Error Accessing Backup Directory: The path specified for file backup is not "
              "valid.  Sync will be canceled\n");
    EXPECT_FALSE(Exists(R + "/a.kvo"));
    EXPECT_TRUE(Contains(pf.SettingsText(), "Abnormal=0"));
}

TEST_F(SyncRunTest, ExtendedFoldersAreSyncedOnlyWhenSwitchedOn) {
    Write(L + "/note.txt", "n", kOld);
    const std::string paths = "[Paths]\n" + Pair("Text");
    pf.Settings("ExtendedFolders=False\n" + paths);
    RunResult off = pf.Run(kSyncAndExit);
    ASSERT_EQ(off.status, 0) << off.err;
    EXPECT_FALSE(Exists(R + "/note.txt"));
    EXPECT_FALSE(Contains(off.out, "Text Files"));

    pf.Settings("ExtendedFolders=True\n" + paths);
    RunResult on = pf.Run(kSyncAndExit);
    ASSERT_EQ(on.status, 0) << on.err;
    EXPECT_EQ(ReadFile(R + "/note.txt"), "n");
    EXPECT_TRUE(Contains(on.out, "Started Scanning Text Files"));
}

TEST_F(SyncRunTest, AudioRowsWithAGapAreSynced) {
    const std::string a0 = pf / "A0L", r0 = pf / "A0R", a2 = pf / "A2L", r2 = pf / "A2R";
    Write(a0 + "/song.wav", "s", kOld);
    Write(a0 + "/readme.txt", "not audio", kOld);
    Write(r2 + "/jingle.mp3", "j", kOld);
    test::MakeDirs(r0);
    test::MakeDirs(a2);
    pf.Settings("SleepTimeCopy=0\n[Paths]\nLAudioPath0=" + a0 + "\nRAudioPath0=" + r0 +
                "\nLAudioPath1=<Not Specified>\nLAudioPath2=" + a2 + "\nRAudioPath2=" + r2 + "\n");
    RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(r0 + "/song.wav"), "s");
    EXPECT_FALSE(Exists(r0 + "/readme.txt"));
    EXPECT_EQ(ReadFile(a2 + "/jingle.mp3"), "j");
    EXPECT_EQ(pf.StateFile("Audio_Folder_1.dat"), "song.wav\r\n");
    EXPECT_EQ(pf.StateFile("Audio_Folder_2.dat"), "jingle.mp3\r\n");
}

TEST_F(SyncRunTest, AbnormalShutdownForcesAFullUpdateWithoutDeletions) {
    Write(L + "/gone.kvo", "deleted remotely before the crash", kOld);
    pf.Settings("[Paths]\n" + Pair("PLog") + "[Shutdown]\nAbnormal=1\n");
    WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat", "gone.kvo\r\n");
    WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Trigger_Sets.dat", "t.trg\r\n");
    WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Hot_Keys.tmp", "h.key\r\n");

    RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err,
                         "Varnel File Sync Was Not Properly Shut Down: Varnel File Sync was not "
                         "shut down properly the last time it was run.\n"));
    EXPECT_EQ(ReadFile(L + "/gone.kvo"), "deleted remotely before the crash");
    EXPECT_EQ(ReadFile(R + "/gone.kvo"), "deleted remotely before the crash");
    EXPECT_FALSE(Exists(pf.Prog() + "/VarnelFileSyncSettings/Trigger_Sets.dat"));
    EXPECT_FALSE(Exists(pf.Prog() + "/VarnelFileSyncSettings/Hot_Keys.tmp"));
    EXPECT_TRUE(Contains(pf.SettingsText(), "Abnormal=0"));
}

}  // namespace
}  // namespace vfs::e2e
