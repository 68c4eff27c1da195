#include "engine/run_sync.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/speed_levels.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

TEST(RunSpeedPausesTest, RunTableDiffersFromTheOnSelectionTable) {
    const struct {
        int position;
        int copyMs;
        int syncMs;
    } cases[] = {{0, 0, 0},   {1, 3, 6},   {2, 5, 10}, {3, 10, 20},
                 {4, 25, 50}, {-1, 5, 10}, {7, 5, 10}};
    for (const auto& c : cases) {
        const SpeedPauses p = RunSpeedPauses(c.position);
        EXPECT_EQ(p.copyMs, c.copyMs) << c.position;
        EXPECT_EQ(p.syncMs, c.syncMs) << c.position;
    }
}

TEST(AudioRowProgressTest, FirstRowTwentyLastNinetySevenHalvesToEven) {
    EXPECT_EQ(AudioRowProgress(0, 1), -1);  // one row: the bar keeps 17
    EXPECT_EQ(AudioRowProgress(0, 2), 20);
    EXPECT_EQ(AudioRowProgress(1, 2), 97);
    EXPECT_EQ(AudioRowProgress(1, 3), 58);  // 38.5 goes to the even 38
    EXPECT_EQ(AudioRowProgress(3, 5), 78);  // 57.75
}

// A program folder and sample folders; every fixed category is enabled, and the listener
// records what the overall progress label showed, in order.
struct RunSyncTest : ::testing::Test {
    TempDir dir;
    TestApp app{dir / "prog"};
    std::vector<std::string> progressTexts;

    void SetUp() override {
        test::MakeDirs(dir / "prog");
        for (auto& indicator : app.form.imgPathLink)
            indicator.SetTag("1");
        app.form.cboSyncSpeed.AddItem("a");
        app.form.notifier.listener = [this](const std::string& name) {
            const std::string& text = app.form.lblPbOverall.Caption();
            if (name != "lblPbOverall" || text.rfind("Overall File Scan", 0) != 0) return;
            if (progressTexts.empty() || progressTexts.back() != text)
                progressTexts.push_back(text);
        };
    }

    void Pair(int category, const std::string& local, const std::string& remote) {
        app.form.LocalPathBox(category).SetText(local);
        app.form.RemotePathBox(category).SetText(remote);
    }

    void AudioRow(const std::string& local, const std::string& remote, const char* tag) {
        const std::size_t row = app.form.lstLAudioPaths.ListCount();
        app.form.lstLAudioPaths.AddItem(local);
        if (!remote.empty()) app.form.lstRAudioPaths.AddItem(remote);
        app.form.imgLineLink[row].SetTag(tag);
    }

    bool Listed(const std::string& part) const {
        for (const auto& line : app.form.lstCompletedTasks.Items()) {
            if (line.find(part) != std::string::npos) return true;
        }
        return false;
    }
};

TEST_F(RunSyncTest, ScansUsablePairsSkipsOthersAndAnnouncesTheTasks) {
    WriteFile(dir / "L/a.kvo", "a");
    test::MakeDirs(dir / "R");
    Pair(0, dir / "L", dir / "R");
    Pair(1, dir / "L", dir / "R");        // extended folders off: never mentioned
    Pair(3, dir / "L", dir / "missing");  // configured but unreachable
    app.form.imgPathLink[4].SetTag("0");  // disabled: task log file only
    app.form.chkLogToFile.SetValue(1);
    app.state.SyncAndExit = true;
    app.clock = {2026, 12, 5, 14, 2, 11, 250};

    RunSync(app.ctx);

    EXPECT_EQ(app.debugLines.front(), "RunSync Started");
    EXPECT_EQ(app.state.LastSyncTime, 14 * 3600000 + 2 * 60000 + 11 * 1000 + 250);
    EXPECT_FALSE(app.state.SyncInProgress);
    EXPECT_TRUE(app.state.ExitRequested);
    EXPECT_TRUE(app.state.RunHadFailure);
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 1u);
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Starting File Sync: 1 File To Sync");
    EXPECT_TRUE(Listed("14:02:11 - Sync    Starting File Sync: 1 File To Sync"));
    EXPECT_TRUE(
        Listed("14:02:11 - Scan    Skipping Trigger Set Files: Path Unreachable or Invalid"));
    EXPECT_FALSE(Listed("Text Files"));
    EXPECT_FALSE(Listed("Hot Key"));
    const std::string log = ReadFile(dir / "prog/VarnelFileSync Logs/Task_Log_12052026.txt");
    EXPECT_NE(log.find("14:02:11 - Skipping Hot Key Files: Path Disabled\r\n"), std::string::npos);
    EXPECT_EQ(log.find("Text Files"), std::string::npos);
    EXPECT_EQ(app.form.imgPathLink[0].PictureId(), kPathLinkActive);
    // Tasks are queued, so the controls stay locked for the timer to hand back.
    EXPECT_FALSE(app.form.cmdRun.Enabled());
    EXPECT_EQ(app.form.pbOverall.Value(), 100);
    const std::vector<std::string> expected = {
        "Overall File Scan Progress 3%",  "Overall File Scan Progress 9%",
        "Overall File Scan Progress 11%", "Overall File Scan Progress 15%",
        "Overall File Scan Progress 17%", "Overall File Scan Progress 98%",
        "Overall File Scan Progress 100%"};
    EXPECT_EQ(progressTexts, expected);
    // The run's own pauses for the selected speed (none selected).
    EXPECT_EQ(app.state.SleepTimeCopy, 5);
    EXPECT_EQ(app.state.SleepTimeSync, 10);
}

TEST_F(RunSyncTest, UnconfiguredPairsAreNoFailure) {
    Pair(0, dir / "L", "");
    app.form.imgPathLink[0].SetTag("1");
    AudioRow(dir / "L", kNotSpecified, "-1");
    RunSync(app.ctx);
    EXPECT_TRUE(Listed("Skipping Program Log Files: Path Unreachable or Invalid"));
    EXPECT_TRUE(Listed("Skipping Audio Folder 1: Path Unreachable or Invalid"));
    EXPECT_FALSE(app.state.RunHadFailure);
}

TEST_F(RunSyncTest, NothingToDoCommitsAndHandsTheControlsBack) {
    WriteFile(dir / "L/a.kvo", "a");
    WriteFile(dir / "R/a.kvo", "a");
    test::SetMtime(dir / "L/a.kvo", 1600000000);
    test::SetMtime(dir / "R/a.kvo", 1600000000);
    Pair(0, dir / "L", dir / "R");
    RunSync(app.ctx);
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Finished File Sync: No Files To Sync");
    EXPECT_TRUE(Listed("14:02:11 - Sync    Finished File Sync: No Files To Sync"));
    EXPECT_TRUE(Exists(dir / "prog/VarnelFileSyncSettings/Program_Logs.dat"));
    EXPECT_FALSE(Exists(dir / "prog/VarnelFileSyncSettings/Program_Logs.tmp"));
    EXPECT_TRUE(app.form.cmdRun.Enabled());
    EXPECT_TRUE(app.form.cmdRun.Visible());
    EXPECT_FALSE(app.form.picIconBox.Visible());
    EXPECT_FALSE(app.form.pbOverall.Visible());
    EXPECT_FALSE(app.state.SyncInProgress);
    EXPECT_FALSE(app.state.ExitRequested);
}

TEST_F(RunSyncTest, AudioRowsDriveTheBarAndStopAtTheFirstRowWithoutRemote) {
    app.state.ExtendedFolders = true;
    for (int row = 0; row < 3; ++row) {
        test::MakeDirs(dir / ("AL" + std::to_string(row)));
        test::MakeDirs(dir / ("AR" + std::to_string(row)));
    }
    AudioRow(dir / "AL0", dir / "AR0", "1");
    AudioRow(dir / "AL1", dir / "AR1", "0");
    AudioRow(dir / "AL2", "", "1");  // no remote entry: the loop ends here
    app.form.chkLogToFile.SetValue(1);
    RunSync(app.ctx);
    const std::vector<std::string> tail(progressTexts.end() - 6, progressTexts.end());
    const std::vector<std::string> expected = {
        "Overall File Scan Progress 17%", "Overall File Scan Progress 20%",
        "Overall File Scan Progress 58%", "Overall File Scan Progress 97%",
        "Overall File Scan Progress 98%", "Overall File Scan Progress 100%"};
    EXPECT_EQ(tail, expected);
    EXPECT_EQ(progressTexts[1], "Overall File Scan Progress 5%");  // extended folders on
    EXPECT_EQ(app.form.imgLineLink[0].PictureId(), kLineLinkActive);
    const std::string log = ReadFile(dir / "prog/VarnelFileSync Logs/Task_Log_12052026.txt");
    EXPECT_NE(log.find(" - Skipping Audio Folder 2: Path Disabled"), std::string::npos);
    EXPECT_EQ(log.find("Audio Folder 3"), std::string::npos);
}

TEST_F(RunSyncTest, SingleAudioRowKeepsSeventeen) {
    test::MakeDirs(dir / "AL");
    test::MakeDirs(dir / "AR");
    AudioRow(dir / "AL", dir / "AR", "1");
    RunSync(app.ctx);
    const std::vector<std::string> tail(progressTexts.end() - 3, progressTexts.end());
    const std::vector<std::string> expected = {"Overall File Scan Progress 17%",
                                               "Overall File Scan Progress 98%",
                                               "Overall File Scan Progress 100%"};
    EXPECT_EQ(tail, expected);
    EXPECT_TRUE(Listed("Finished Scanning Audio Folder 1"));
}

TEST_F(RunSyncTest, BackupFolderThatCannotBeMadeCancelsTheRun) {
    WriteFile(dir / "L/a.kvo", "a");
    test::MakeDirs(dir / "R");
    Pair(0, dir / "L", dir / "R");
    WriteFile(dir / "blocker", "a file where a folder should be");
    app.form.chkEnableFileBackup.SetValue(1);
    app.form.txtBackupDir.SetText(dir / "blocker/backups");
    app.state.BackupPathIsValid = true;
    app.state.SyncAndExit = true;
    std::string promptTitle, promptText;
    app.ports.promptShown = [&](const std::string& t, const std::string& m) {
        promptTitle = t;
        promptText = m;
    };

    RunSync(app.ctx);

    EXPECT_EQ(promptTitle, "Error Accessing Backup Directory");
    EXPECT_EQ(promptText,
              "The path specified for file backup is not valid.  Sync will be canceled");
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Canceled File Sync: Backup Path Invalid");
    EXPECT_TRUE(Listed("14:02:11 - Scan    Canceled File Sync: Backup Path Invalid"));
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 0u);
    EXPECT_FALSE(Exists(dir / "prog/VarnelFileSyncSettings/Program_Logs.tmp"));
    EXPECT_FALSE(app.state.BackupPathIsValid);
    EXPECT_FALSE(app.state.SyncInProgress);
    EXPECT_GE(app.state.LastSyncTime, 0);
    EXPECT_TRUE(app.form.cmdRun.Enabled());
    EXPECT_FALSE(app.form.pbOverall.Visible());
    // A sync-and-exit start closes with a failure instead of idling for good.
    EXPECT_TRUE(app.state.RunHadFailure);
    EXPECT_TRUE(app.state.ExitRequested);
}

TEST_F(RunSyncTest, BackupFolderIsCreatedOrReportedBlank) {
    app.form.chkEnableFileBackup.SetValue(1);
    app.form.txtBackupDir.SetText(dir / "new/backups");
    RunSync(app.ctx);
    EXPECT_TRUE(test::Exists(dir / "new/backups"));
    EXPECT_TRUE(app.state.BackupPathIsValid);

    app.form.txtBackupDir.SetText("");
    RunSync(app.ctx);
    EXPECT_FALSE(app.state.BackupPathIsValid);
    EXPECT_TRUE(Listed("14:02:11 - Backup Path Blank: No backups will be created for this sync"));
}

TEST_F(RunSyncTest, RunButtonMovesTheFocusAndRuns) {
    cmdRun_Click(app.ctx);
    EXPECT_EQ(app.debugLines.front(), "cmdRun Clicked");
    EXPECT_EQ(app.form.Focus(), "txtFocus");
    EXPECT_TRUE(Listed("Finished File Sync: No Files To Sync"));
}

}  // namespace
}  // namespace vfs
