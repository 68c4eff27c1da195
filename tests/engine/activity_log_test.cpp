#include "engine/activity_log.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/log_page.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::ReadFile;
using ::testing::ElementsAre;

void AddLines(test::TestApp& app, int count) {
    for (int i = 0; i < count; ++i)
        AddCompletedLine(app.ctx, "line " + std::to_string(i));
}

TEST(MsSinceMidnightTest, CountsEveryPartOfTheTimeOfDay) {
    test::TestApp app;
    app.clock = {2026, 1, 2, 23, 59, 59, 999};
    EXPECT_EQ(MsSinceMidnight(app.ctx), 86399999);
    app.clock = {2026, 1, 2, 0, 0, 0, 0};
    EXPECT_EQ(MsSinceMidnight(app.ctx), 0);
}

TEST(ActivityLogTest, CompletedListDropsOneOldestLinePerAddition) {
    test::TestApp app;
    AddLines(app, 500);
    AddCompletedLine(app.ctx, "newest");
    ASSERT_EQ(app.form.lstCompletedTasks.ListCount(), 500u);
    EXPECT_EQ(app.form.lstCompletedTasks.Item(0), "line 1");
    EXPECT_EQ(app.form.lstCompletedTasks.Item(499), "newest");

    // A lowered limit is not applied at once: each addition still removes exactly one line.
    app.state.MaxCompletedTasks = 100;
    AddCompletedLine(app.ctx, "after lowering");
    EXPECT_EQ(app.form.lstCompletedTasks.ListCount(), 500u);
    EXPECT_EQ(app.form.lstCompletedTasks.Item(0), "line 2");
}

TEST(ActivityLogTest, AutoScrollKeepsTheLast15LinesInView) {
    test::TestApp app;
    app.form.chkAutoScroll.SetValue(1);
    AddLines(app, 15);
    EXPECT_EQ(app.form.lstCompletedTasks.TopIndex(), 0);
    AddLines(app, 1);
    EXPECT_EQ(app.form.lstCompletedTasks.TopIndex(), 1);
    AddLines(app, 24);
    EXPECT_EQ(app.form.lstCompletedTasks.TopIndex(), 25);

    app.form.chkAutoScroll.SetValue(0);
    AddLines(app, 5);
    EXPECT_EQ(app.form.lstCompletedTasks.TopIndex(), 25);
}

// The window's list tells how many lines it shows in full; a list that followed the newest
// line goes on following it, a list scrolled back stays where the reader put it.
TEST(ActivityLogTest, AutoScrollKeepsToTheLinesTheViewShows) {
    test::TestApp app;
    ListBox& list = app.form.lstCompletedTasks;
    app.form.chkAutoScroll.SetValue(1);
    AddLines(app, 40);
    ASSERT_EQ(list.TopIndex(), 25);
    SetCompletedLinesInView(app.ctx, 14);
    EXPECT_EQ(list.TopIndex(), 26);
    AddLines(app, 1);
    EXPECT_EQ(list.TopIndex(), 27);
    SetCompletedLinesInView(app.ctx, 20);
    EXPECT_EQ(list.TopIndex(), 21);

    list.SetTopIndex(3);
    SetCompletedLinesInView(app.ctx, 10);
    EXPECT_EQ(list.TopIndex(), 3);
    AddLines(app, 1);
    EXPECT_EQ(list.TopIndex(), 32) << "a new line scrolls as before";

    app.form.chkAutoScroll.SetValue(0);
    SetCompletedLinesInView(app.ctx, 5);
    EXPECT_EQ(list.TopIndex(), 32);
}

TEST(ActivityLogTest, TaskLogFileIsTheDayOfWritingSharedBySessions) {
    test::TempDir dir;
    test::TestApp first(dir.path());
    test::TestApp second(dir.path());  // another session beside the same program
    second.state.SessionSuffix = "3";
    first.clock = {2026, 12, 5, 23, 59, 59};
    second.clock = first.clock;

    WriteTaskLog(first.ctx, "23:59:59 - one");
    WriteTaskLog(second.ctx, "23:59:59 - two");
    first.clock = {2026, 12, 6, 0, 0, 1};  // a run over midnight goes on in the next file
    WriteTaskLog(first.ctx, "00:00:01 - three");

    const std::string folder = dir / "VarnelFileSync Logs/";
    EXPECT_EQ(ReadFile(folder + "Task_Log_12052026.txt"), "23:59:59 - one\r\n23:59:59 - two\r\n");
    EXPECT_EQ(ReadFile(folder + "Task_Log_12062026.txt"), "00:00:01 - three\r\n");
}

TEST(ActivityLogTest, UnwritableTaskLogLosesOnlyTheFileLine) {
    test::TempDir dir;
    test::WriteFile(dir / "VarnelFileSync Logs", "a file where the folder should be");
    test::TestApp app(dir.path());
    app.form.chkLogToFile.SetValue(1);
    LogLine(app.ctx, "14:02:11 - Sync    Started File Sync");
    EXPECT_THAT(app.form.lstCompletedTasks.Items(),
                ElementsAre("14:02:11 - Sync    Started File Sync"));
}

// Without an absolute program folder nothing is read or written beside the current
// directory.
TEST(ActivityLogTest, RelativeProgramFolderTouchesNothingInTheCurrentDirectory) {
    test::TempDir dir;
    char oldCwd[4096] = {};
    ASSERT_NE(::getcwd(oldCwd, sizeof oldCwd), nullptr);
    ASSERT_EQ(::chdir(dir.path().c_str()), 0);
    test::MakeDirs(dir / "prog");
    test::WriteFile(dir / "PLog.dat",
                    "spot.wav\x01"
                    "12/5/2026 2:02:11 PM\x01"
                    "1536\x01"
                    "True\r\n");
    for (const char* program : {"", "prog"}) {
        test::TestApp app(program);
        WriteTaskLog(app.ctx, "14:02:11 - line");
        cmdTestLoad_Click(app.ctx);
        EXPECT_EQ(app.form.lstCompletedTasks.ListCount(), 0u) << program;
    }
    EXPECT_FALSE(test::Exists(dir / "prog/VarnelFileSync Logs"));
    ASSERT_EQ(::chdir(oldCwd), 0);
}

TEST(ActivityLogTest, FileOnlyLinesNeverReachTheList) {
    test::TempDir dir;
    test::TestApp app(dir.path());
    LogToFileOnly(app.ctx, "not logged: the box is not ticked");
    app.form.chkLogToFile.SetValue(1);
    LogToFileOnly(app.ctx, "14:02:11 - Skipping Text Files: Path Disabled");
    EXPECT_EQ(app.form.lstCompletedTasks.ListCount(), 0u);
    EXPECT_EQ(ReadFile(dir / "VarnelFileSync Logs/Task_Log_12052026.txt"),
              "14:02:11 - Skipping Text Files: Path Disabled\r\n");
}

TEST(ActivityLogTest, StampsAndFolderNames) {
    EXPECT_EQ(FormatClock({2026, 1, 2, 7, 5, 9}), "07:05:09");
    EXPECT_EQ(FormatLogDate({2026, 12, 5}), "12052026");
    EXPECT_EQ(FormatLogDate({2027, 1, 9}), "01092027");

    test::TestApp root("/");
    EXPECT_EQ(TaskLogFolder(root.ctx), "/VarnelFileSync Logs/");
    test::TestApp trailing("/opt/vfs/");
    EXPECT_EQ(TaskLogFolder(trailing.ctx), "/opt/vfs/VarnelFileSync Logs/");
}

TEST(MessageWindowTest, OneWindowAtATime) {
    test::TestApp app;
    std::vector<std::pair<std::string, std::string>> shown;
    app.ports.promptShown = [&](const std::string& t, const std::string& m) {
        shown.emplace_back(t, m);
    };
    app.state.MinimizedToTray = true;
    ShowPrompt(app.ctx, "first", "Title 1");
    ShowPrompt(app.ctx, "second", "Title 2");
    EXPECT_TRUE(app.state.PromptOpen);
    EXPECT_FALSE(app.state.MinimizedToTray);
    EXPECT_EQ(app.form.frmUserPrompt.Caption(), "Title 2");
    EXPECT_EQ(app.form.lblMessage.Caption(), "second");
    EXPECT_EQ(shown.size(), 2u);

    btnOK_Click(app.ctx);
    EXPECT_FALSE(app.state.PromptOpen);
    EXPECT_FALSE(app.form.frmUserPrompt.Visible());
}

TEST(LogPageTest, MaxLogItemsByListPosition) {
    test::TestApp app;
    for (auto [position, limit] : {std::pair{-1, 500}, {0, 500}, {1, 1000}, {9, 5000}}) {
        app.form.cboMaxLogItems.SetListIndex(position);
        cboMaxLogItems_Click(app.ctx);
        EXPECT_EQ(app.state.MaxCompletedTasks, limit) << position;
    }
}

TEST(LogPageTest, ClearListEmptiesOnlyTheCompletedList) {
    test::TestApp app;
    AddLines(app, 3);
    app.form.lstTasksToDo.AddItem("Delete  \"Hot Keys\", \"/r/a.key\"");
    btnClearList_Click(app.ctx);
    EXPECT_EQ(app.form.lstCompletedTasks.ListCount(), 0u);
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 1u);
    EXPECT_EQ(app.form.Focus(), "txtFocus");
}

TEST(LogPageTest, DoubleClickShowsTheSelectedLineAmongThe21FromTheTop) {
    test::TestApp app;
    for (int i = 0; i < 40; ++i)
        app.form.lstTasksToDo.AddItem("task " + std::to_string(i));
    AddLines(app, 40);

    app.form.lstTasksToDo.SetListIndex(3);
    lstTasksToDo_DblClick(app.ctx);
    EXPECT_EQ(app.form.frmUserPrompt.Caption(), "Line 3 Task To Do Text");
    EXPECT_EQ(app.form.lblMessage.Caption(), "task 3");

    app.form.lstCompletedTasks.SetTopIndex(5);
    app.form.lstCompletedTasks.SetListIndex(25);  // top + 20: the last line searched
    lstCompletedTasks_DblClick(app.ctx);
    EXPECT_EQ(app.form.frmUserPrompt.Caption(), "Line 25 Completed Task Text");
    EXPECT_EQ(app.form.lblMessage.Caption(), "line 25");

    btnOK_Click(app.ctx);
    app.form.lstCompletedTasks.SetListIndex(26);
    lstCompletedTasks_DblClick(app.ctx);
    app.form.lstCompletedTasks.SetListIndex(-1);
    lstCompletedTasks_DblClick(app.ctx);
    EXPECT_FALSE(app.state.PromptOpen);
}

TEST(LogPageTest, TestLoadListsTheDiagnosticRecords) {
    test::TempDir dir;
    test::TestApp app(dir.path());
    const std::string longName(60, 'n');
    test::WriteFile(dir / "VarnelFileSyncSettings/PLog.dat",
                    "spot.wav\x01"
                    "12/5/2026 2:02:11 PM\x01"
                    "1536\x01"
                    "True\r\n" +
                        longName +
                        "\x01"
                        "12/5/2026 2:02:11 PM plus a long tail\x01"
                        "2560\x01"
                        "False\r\n"
                        "only\x01"
                        "three\x01"
                        "fields\r\n");

    cmdTestLoad_Click(app.ctx);

    const std::string date = "12/5/2026 2:02:11 PM";
    EXPECT_THAT(
        app.form.lstCompletedTasks.Items(),
        ElementsAre(
            std::string("spot.wav") + std::string(42, ' ') + date + std::string(5, ' ') + "T   2Kb",
            std::string(49, 'n') + " " + "12/5/2026 2:02:11 PM plu" + " " + "F   2Kb"));
}

}  // namespace
}  // namespace vfs
