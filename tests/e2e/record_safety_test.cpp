// The sync record (state files and pair record) must never say something false: whole
// sync-and-exit runs of the program on real folders, checked through the folders, the
// state files and the exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;

constexpr int64_t kOld = 1600000000;
const std::vector<std::string> kSyncAndExit = {"HEADLESS", "SYNCANDEXIT"};

void Write(const std::string& path, const std::string& text, int64_t mtime = kOld) {
    WriteFile(path, text);
    SetMtime(path, mtime);
}

struct RecordSafetyTest : ::testing::Test {
    ProgramFolder pf;
    std::string L = pf / "L";
    std::string R = pf / "R";
    std::string stateFolder = pf.Prog() + "/VarnelFileSyncSettings";

    void SetUp() override {
        test::MakeDirs(L);
        test::MakeDirs(R);
    }
    // Program Logs (*.kvo) synced between L and R.
    void Settings(const std::string& extra = "") const {
        pf.Settings("LogToFile=1\nSleepTimeCopy=0\n" + extra + "[Paths]\nLPLog=" + L +
                    "\nRPLog=" + R + "\n");
    }
    // The committed names of an earlier sync, as the program writes them.
    void Committed(const std::vector<std::string>& names) const {
        std::string text;
        for (const std::string& name : names)
            text += name + "\r\n";
        WriteFile(stateFolder + "/Program_Logs.dat", text);
    }
};

TEST_F(RecordSafetyTest, DeletionOfALateNameInALargeFolderIsCarriedOut) {
    std::vector<std::string> names;
    for (int i = 0; i < 7000; ++i)
        names.push_back("n" + std::to_string(i) + ".kvo");
    names.push_back("keep.kvo");
    Committed(names);
    Write(L + "/n6500.kvo", "late name, deleted on the remote side");
    Write(L + "/keep.kvo", "k");
    Write(R + "/keep.kvo", "k");
    Settings();
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Exists(L + "/n6500.kvo"));
    EXPECT_FALSE(Exists(R + "/n6500.kvo"));
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "keep.kvo\r\n");
}

TEST_F(RecordSafetyTest, NamesWithBlanksAtEitherEndAreTheirOwnFiles) {
    Write(L + "/ show.kvo", "leading blank");
    Write(R + "/ show.kvo", "leading blank");
    Write(L + "/tail.kvo ", "trailing blank");
    Write(R + "/tail.kvo ", "trailing blank");
    Committed({" show.kvo", "tail.kvo "});
    Write(R + "/show.kvo", "a new file, never synced");
    Write(L + "/tail.kvo", "another new file");
    Settings();
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(R + "/show.kvo"), "a new file, never synced");
    EXPECT_EQ(ReadFile(L + "/show.kvo"), "a new file, never synced");
    EXPECT_EQ(ReadFile(R + "/tail.kvo"), "another new file");
    EXPECT_EQ(ReadFile(L + "/ show.kvo"), "leading blank");
    EXPECT_EQ(ReadFile(R + "/tail.kvo "), "trailing blank");
}

TEST_F(RecordSafetyTest, WildcardCharactersAreOrdinaryNameCharacters) {
    const std::string a = pf / "A";
    const std::string b = pf / "B";
    Write(a + "/Why?.mp3", "question");
    Write(a + "/a*b.mp3", "star");
    // A file the pattern "Why?.mp3" would match: it must not pass for the copy's target.
    Write(b + "/Whyy.mp3", "other");
    pf.Settings("SleepTimeCopy=0\n[Paths]\nLAudioPath0=" + a + "\nRAudioPath0=" + b + "\n");
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(b + "/Why?.mp3"), "question");
    EXPECT_EQ(ReadFile(b + "/a*b.mp3"), "star");
    EXPECT_EQ(ReadFile(a + "/Whyy.mp3"), "other");
    EXPECT_EQ(pf.StateFile("Audio_Folder_1.dat"), "a*b.mp3\r\nWhy?.mp3\r\nWhyy.mp3\r\n");
}

TEST_F(RecordSafetyTest, AFailedDeleteIsTriedAgainNotReversed) {
    struct Case {
        const char* label;
        bool backupBlocked;  // the backup of the file cannot be written
        bool readOnly;       // the file itself cannot be removed
    };
    for (const Case c : {Case{"backup failed", true, false}, Case{"removal failed", false, true}}) {
        SCOPED_TRACE(c.label);
        ProgramFolder folder;
        const std::string l = folder / "L";
        const std::string r = folder / "R";
        const std::string bak = folder / "bak";
        Write(l + "/gone.kvo", "deleted on the remote side");
        Write(l + "/keep.kvo", "k");
        Write(r + "/keep.kvo", "k");
        WriteFile(folder.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat",
                  "gone.kvo\r\nkeep.kvo\r\n");
        // The category's backup folder cannot be made where a file holds its name.
        if (c.backupBlocked) WriteFile(bak + "/Program_Logs", "not a folder");
        test::MakeDirs(bak);
        if (c.readOnly) chmod((l + "/gone.kvo").c_str(), 0444);
        const std::string backups = c.backupBlocked ? "EnableFileBackup=True\n" : "";
        folder.Settings("SleepTimeCopy=0\n" + backups + "FileBackupPath=" + bak +
                        "\n[Paths]\nLPLog=" + l + "\nRPLog=" + r + "\n");

        const RunResult failed = folder.Run(kSyncAndExit);
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_TRUE(Exists(l + "/gone.kvo"));
        EXPECT_FALSE(Exists(r + "/gone.kvo"));

        std::remove((bak + "/Program_Logs").c_str());
        chmod((l + "/gone.kvo").c_str(), 0644);
        const RunResult retried = folder.Run(kSyncAndExit);
        EXPECT_EQ(retried.status, 0) << retried.err;
        EXPECT_TRUE(Contains(retried.out, "Delete  \"Program Logs\", \"" + l + "/gone.kvo\""))
            << retried.out;
        EXPECT_FALSE(Exists(l + "/gone.kvo"));
        EXPECT_FALSE(Exists(r + "/gone.kvo"));
    }
}

}  // namespace
}  // namespace vfs::e2e
