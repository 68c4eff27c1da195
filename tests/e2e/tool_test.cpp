// The program as an administrator first meets it: help, version, a mistyped word, and a
// preview of what a sync would do.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::ReadFile;

// Every file and folder below the folder with its content and modified time, to show
// that a run changed nothing at all.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ec)) {
        struct stat st {};
        lstat(entry.path().c_str(), &st);
        std::string what =
            std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + ":";
        if (entry.is_regular_file()) what += ReadFile(entry.path().string());
        entries[entry.path().lexically_relative(folder).string()] = what;
    }
    return entries;
}

struct AnswerCase {
    std::vector<std::string> args;
    int status;
    const char* inOut;  // a text standard output must hold
    const char* inErr;  // a text standard error must hold
};

TEST(ToolE2E, HelpVersionAndRefusedWordsReadAndWriteNothing) {
    const std::vector<AnswerCase> cases = {
        {{"--help"}, 0, "Exit status:", ""},
        {{"HEADLESS", "-h"}, 0, "Usage: varnelfilesync", ""},
        {{"--version"}, 0, "varnelfilesync 1.", ""},
        {{"HEADLESS", "SYNCANDEXT"}, 2, "", "unknown argument 'SYNCANDEXT'\n\nUsage:"},
        {{"SESSION=2", "--verbose"}, 2, "", "unknown argument '--verbose'"},
    };
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        ProgramFolder pf;
        pf.Settings("AutoStart=True\n");
        const auto before = Snapshot(pf / "");
        RunResult r = pf.Run(c.args, 10);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(Contains(r.out, c.inOut)) << r.out;
        EXPECT_TRUE(Contains(r.err, c.inErr)) << r.err;
        if (c.status == 0) {
            EXPECT_EQ(r.err, "");
        }
        // No settings, state or log written, and no lock taken in the run folder; only the
        // two capture files of this run are new.
        auto after = Snapshot(pf / "");
        after.erase("out1.txt");
        after.erase("err1.txt");
        EXPECT_EQ(after, before);
    }
}

struct PreviewTest : PairFolderTest {
    std::string B = pf / "B";

    void SetUp() override {
        PairFolderTest::SetUp();
        test::MakeDirs(B);
    }
};

// After a first sync the operator deletes, adds and edits files; the preview must show the
// delete, the copy and the replace that the next sync would make, and change nothing.
TEST_F(PreviewTest, ShowsCopiesReplacesAndDeletesAndChangesNothing) {
    Write(L + "/keep.kvo", "keep", kOld);
    Write(L + "/gone.kvo", "gone", kOld);
    Write(L + "/edit.kvo", "old", kOld);
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\nEnableFileBackup=True\nFileBackupPath=" + B +
                "\n[Paths]\nLPLog=" + L + "\nRPLog=" + R + "\n");
    ASSERT_EQ(pf.Run(kSyncAndExit).status, 0);
    std::remove((L + "/gone.kvo").c_str());
    Write(L + "/new.kvo", "new", kOld + 5);
    Write(R + "/edit.kvo", "edited", kOld + 100);

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"HEADLESS", "PREVIEW"}, {"--dry-run"}}) {
        SCOPED_TRACE(testing::PrintToString(args));
        const auto before = Snapshot(pf / "");
        RunResult r = pf.Run(args);
        EXPECT_EQ(r.status, 0) << r.err;
        const std::string copy = "Preview Copy    \"Program Logs\", \"" + L + "/new.kvo\", \"" + R;
        const std::string replace =
            "Preview Replace \"Program Logs\", \"" + R + "/edit.kvo\", \"" + L + "/edit.kvo\"";
        const std::string remove = "Preview Delete  \"Program Logs\", \"" + R + "/gone.kvo\"";
        EXPECT_TRUE(Contains(r.out, copy)) << r.out;
        EXPECT_TRUE(Contains(r.out, replace)) << r.out;
        EXPECT_TRUE(Contains(r.out, remove)) << r.out;
        EXPECT_TRUE(Contains(r.out, "\"gone.kvo\" needs to be deleted because")) << r.out;
        EXPECT_TRUE(Contains(r.out, "Preview Finished: 3 Tasks, Nothing Changed")) << r.out;
        // Folders, backups, settings, state files and task log as they were; the lock file
        // in the run folder is the only trace.
        auto after = Snapshot(pf / "");
        for (auto it = after.begin(); it != after.end();) {
            const bool ours = it->first.rfind("out", 0) == 0 || it->first.rfind("err", 0) == 0 ||
                              it->first.rfind("run", 0) == 0;
            it = ours ? after.erase(it) : std::next(it);
        }
        for (auto it = before.begin(); it != before.end(); ++it) {
            if (it->first.rfind("out", 0) == 0 || it->first.rfind("err", 0) == 0 ||
                it->first.rfind("run", 0) == 0)
                continue;
            EXPECT_EQ(after[it->first], it->second) << it->first;
            after.erase(it->first);
        }
        EXPECT_TRUE(after.empty()) << after.begin()->first;
    }
}

// A stopped pair in a preview gives the exit status the sync would give.
TEST_F(PreviewTest, StoppedPairGivesTheSyncsExitStatus) {
    Write(L + "/a.kvo", "a", kOld);
    pf.Settings("[Paths]\nLPLog=" + L + "\nRPLog=" + R + "\n");
    ASSERT_EQ(pf.Run(kSyncAndExit).status, 0);
    // The remote share is empty, as an unmounted one would be: every file would be deleted.
    std::remove((R + "/a.kvo").c_str());
    RunResult r = pf.Run({"PREVIEW"});
    EXPECT_EQ(r.status, 1) << r.out;
    EXPECT_TRUE(Contains(r.out, "Stopped Scanning Program Logs Files: Remote Folder Is Empty"));
    EXPECT_EQ(ReadFile(L + "/a.kvo"), "a");
}

// The settings file a hurried operator wrote: "yes" works, unreadable values are named on
// standard error and are still in the file, as typed, after the program saved its settings.
TEST(ToolE2E, UnreadableSettingsAreNamedAndKeptAsTyped) {
    ProgramFolder pf;
    const std::string L = pf / "L", R = pf / "R", B = pf / "B";
    test::MakeDirs(L);
    test::MakeDirs(R);
    Write(L + "/a.kvo", "new", kOld + 50);
    Write(R + "/a.kvo", "old", kOld);
    pf.Settings("EnableFileBackup=yes\nFileBackupPath=" + B +
                "\nSyncCycle=often\nAutoScroll=maybe\n[Paths]\nLPLog=" + L + "\nRPLog=" + R + "\n");
    RunResult r = pf.Run(kSyncAndExit);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(r.err,
                         "Unreadable setting [Settings] SyncCycle=often (not a number); "
                         "using 300000, kept as typed in the file\n"))
        << r.err;
    EXPECT_TRUE(Contains(r.err, "[Settings] AutoScroll=maybe (not a number); using 0")) << r.err;
    EXPECT_FALSE(Contains(r.err, "EnableFileBackup")) << r.err;
    // "yes" meant a backup of the replaced file.
    EXPECT_EQ(ReadFile(R + "/a.kvo"), "new");
    EXPECT_FALSE(Snapshot(B).empty());
    const std::string saved = pf.SettingsText();
    EXPECT_TRUE(Contains(saved, "SyncCycle=often")) << saved;
    EXPECT_TRUE(Contains(saved, "AutoScroll=maybe")) << saved;
    EXPECT_TRUE(Contains(saved, "EnableFileBackup=True")) << saved;
}

// A first start on a Linux machine without the automation system's settings: the local paths
// stay empty instead of taking Windows folders, and the operator reads why, in every log.
TEST(ToolE2E, AFirstStartWithoutAutomationSettingsLeavesThePathsAndSaysWhy) {
    ProgramFolder pf;
    test::WriteFile(pf.Prog() + "/VarnelFileSync.ini", "[Settings]\nLogToFile=1\n");
    RunResult r = pf.Run(kSyncAndExit);
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string said = "No Varnel settings found in " + (pf / "cfg/automation-settings") +
                             " (Varnel.ini, KVO.ini): the paths were left as they are";
    EXPECT_TRUE(Contains(r.err, said + "\n")) << r.err;
    EXPECT_TRUE(Contains(r.out, " - Settings " + said + "\n")) << r.out;
    EXPECT_TRUE(Contains(pf.TaskLog(), " - Settings " + said + "\r\n")) << pf.TaskLog();
    const std::string saved = pf.SettingsText();
    EXPECT_TRUE(Contains(saved, "FirstRun=False")) << saved;
    const std::size_t key = saved.find("LPLog=");
    ASSERT_NE(key, std::string::npos) << saved;
    EXPECT_TRUE(saved[key + 6] == '\r' || saved[key + 6] == '\n') << saved;
    EXPECT_FALSE(Contains(saved, "C:\\")) << saved;

    // With the automation system's files in place, a first start loads its folders.
    ProgramFolder other;
    test::MakeDirs(other / "cfg/automation-settings");
    test::WriteFile(other / "cfg/automation-settings/Varnel.ini",
                    "[Paths]\nProgramLogPath=" + (other / "logs") + "\n");
    r = other.Run(kSyncAndExit);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(Contains(r.err, "No Varnel settings")) << r.err;
    EXPECT_TRUE(Contains(other.SettingsText(), "LPLog=" + (other / "logs")))
        << other.SettingsText();
}

}  // namespace
}  // namespace vfs::e2e
