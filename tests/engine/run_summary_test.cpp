// What a run came to, told where the operator looks: the closing line's counts, a stopped
// pair's indicator, the lines the quiet headless program prints, and conflicts.
#include "engine/run_summary.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/pair_links.h"
#include "engine/run_sync.h"
#include "engine/task_execution.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::TempDir;
using test::TestApp;
using test::WriteFile;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;

TEST(RunSummaryTest, CountsOnlyWhatIsThereAndNothingForARunThatWentWell) {
    struct Case {
        RunTally tally;
        std::string summary;
    };
    const std::vector<Case> cases = {
        {{}, ""},
        {{12, 0, 0, 0, 0, 0}, ""},
        {{12, 1, 1, 0, 0, 0}, "12 Tasks Done, 1 Failed, 1 Pair Stopped"},
        {{0, 2, 0, 0, 0, 0}, "0 Tasks Done, 2 Failed"},
        {{1, 0, 0, 2, 0, 0}, "1 Task Done, 2 Pairs Unreachable"},
        {{0, 0, 2, 1, 0, 0}, "2 Pairs Stopped, 1 Pair Unreachable"},
        {{3, 0, 0, 0, 1, 0}, "3 Tasks Done, 1 Conflict"},
        {{0, 0, 0, 0, 0, 2}, "2 Files Skipped"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RunSummary(c.tally), c.summary) << c.summary;
}

// A program folder, a pair of folders on the first category, and what the ports were told.
struct RunOutcomeTest : ::testing::Test {
    TempDir dir;
    TestApp app{dir / "prog"};
    std::string local = dir / "L";
    std::string remote = dir / "R";
    std::vector<std::string> problems;
    std::vector<std::string> summaries;

    void SetUp() override {
        test::MakeDirs(dir / "prog");
        test::MakeDirs(local);
        test::MakeDirs(remote);
        app.form.imgPathLink[0].SetTag(kTagActive);
        app.form.LocalPathBox(0).SetText(local);
        app.form.RemotePathBox(0).SetText(remote);
        app.form.cboSyncSpeed.AddItem("a");
        app.ports.problemLineAdded = [this](const std::string& line) { problems.push_back(line); };
        app.ports.runWentWrong = [this](const std::string& text) { summaries.push_back(text); };
    }

    void Both(const std::string& name, int64_t seconds = 1600000000) {
        for (const std::string& side : {local, remote}) {
            WriteFile(side + "/" + name, name);
            test::SetMtime(side + "/" + name, seconds);
        }
    }

    // One whole run: the scan, then the queue worked off tick by tick.
    void Sync() {
        problems.clear();
        summaries.clear();
        RunSync(app.ctx);
        while (app.form.lstTasksToDo.ListCount() > 0)
            tmrMain_Timer(app.ctx, nullptr);
    }

    std::vector<std::string> Completed() const {
        const auto& items = app.form.lstCompletedTasks.Items();
        return {items.begin(), items.end()};
    }
};

// An unmounted share looks like an empty folder: the pair stops, and the operator sees it at
// the indicator, in the closing line, in the notification area's summary and in the lines
// the quiet program prints, until the pair scans well again.
TEST_F(RunOutcomeTest, AStoppedPairShowsWhyUntilItScansWellAgain) {
    Both("a.kvo");
    Both("b.kvo");
    Sync();
    ASSERT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Finished File Sync: No Files To Sync");
    ASSERT_TRUE(summaries.empty());

    std::filesystem::remove(remote + "/a.kvo");
    std::filesystem::remove(remote + "/b.kvo");
    Sync();
    const Picture& indicator = app.form.imgPathLink[0];
    EXPECT_EQ(indicator.PictureId(), kPathLinkError);
    EXPECT_EQ(indicator.Tag(), kTagActive);  // still tried by the next sync
    EXPECT_THAT(indicator.ToolTip(), HasSubstr("Remote Folder Is Empty: nothing was deleted"));
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Finished File Sync: No Files To Sync, 1 Pair Stopped");
    EXPECT_THAT(
        Completed(),
        Contains("14:02:11 - Sync    Finished File Sync: No Files To Sync, 1 Pair Stopped"));
    EXPECT_EQ(summaries, std::vector<std::string>{"Finished File Sync: No Files To Sync, 1 Pair "
                                                  "Stopped"});
    EXPECT_THAT(problems, Contains(HasSubstr("Stopped Scanning Program Logs Files: Remote Folder "
                                             "Is Empty")));
    EXPECT_EQ(app.state.LastRunTrouble, summaries.front());
    // Checking the paths again (any edit of a path does) keeps the stop in view.
    ValidatePaths(app.ctx);
    EXPECT_EQ(indicator.PictureId(), kPathLinkError);

    Both("a.kvo");
    Both("b.kvo");
    Sync();
    EXPECT_EQ(indicator.PictureId(), kPathLinkActive);
    EXPECT_EQ(indicator.ToolTip(), "");
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Finished File Sync: No Files To Sync");
    EXPECT_TRUE(problems.empty());
    EXPECT_TRUE(summaries.empty());
    EXPECT_EQ(app.state.LastRunTrouble, "");
}

// A failed task and an unreachable configured pair are counted; a row never filled in is
// neither counted nor reported.
TEST_F(RunOutcomeTest, FailuresAndUnreachablePairsAreCountedInTheClosingLine) {
    auto disk = std::make_shared<test::FaultyFileSystem>();
    disk->Fail(test::FsCall::CopyFileChunked, local + "/b.kvo");
    app.ports.fileSystem = disk;
    WriteFile(local + "/a.kvo", "a");
    WriteFile(local + "/b.kvo", "b");
    app.form.imgPathLink[3].SetTag(kTagActive);  // triggers: configured, remote missing
    app.form.LocalPathBox(3).SetText(local);
    app.form.RemotePathBox(3).SetText(dir / "unmounted");
    app.form.imgPathLink[4].SetTag(kTagActive);  // hot keys: never filled in
    Sync();
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Finished File Sync: 1 Task Done, 1 Failed, 1 Pair Unreachable");
    EXPECT_EQ(summaries.size(), 1u);
    EXPECT_THAT(problems, Contains(HasSubstr("Copy/Replace failed, unable to copy")));
    EXPECT_THAT(problems, Contains(HasSubstr("Skipping Trigger Set Files: Path Unreachable")));
    EXPECT_THAT(problems, Not(Contains(HasSubstr("Hot Key"))));
    EXPECT_THAT(problems, Not(Contains(HasSubstr(" - Copy    "))));  // the task that worked
    EXPECT_EQ(app.form.imgPathLink[3].ToolTip(), kUnreachableAdvice);
    EXPECT_EQ(app.form.imgPathLink[4].ToolTip(), "");
    EXPECT_TRUE(app.state.RunHadFailure);
}

// An edit on each side since the last sync: the newer one wins, and the activity log says
// so and where the other one went.
TEST_F(RunOutcomeTest, AConflictIsNamedWithWhereTheOlderCopyWent) {
    Both("news.kvo");
    Sync();
    WriteFile(local + "/news.kvo", "local edit");
    test::SetMtime(local + "/news.kvo", 1600000100);
    WriteFile(remote + "/news.kvo", "remote edit, later");
    test::SetMtime(remote + "/news.kvo", 1600000200);
    const std::string backups = dir / "bak";
    app.form.chkEnableFileBackup.SetValue(1);
    app.form.txtBackupDir.SetText(backups);
    Sync();
    EXPECT_EQ(test::ReadFile(local + "/news.kvo"), "remote edit, later");
    EXPECT_THAT(Completed(),
                Contains(HasSubstr("Local copy of \"news.kvo\" needs to be replaced: changed on "
                                   "both sides since the last sync; the newer remote copy wins; "
                                   "the older local copy is kept in the backups in " +
                                   backups + "/Program_Logs/")));
    EXPECT_EQ(test::ReadFile(backups + "/Program_Logs/001/news.kvo"), "local edit");
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Finished File Sync: 1 Task Done, 1 Conflict");
    EXPECT_EQ(problems.size(), 2u);  // the decision and the closing line
}

}  // namespace
}  // namespace vfs
