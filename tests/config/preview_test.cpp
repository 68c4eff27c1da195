#include "config/preview.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;

struct PreviewButtonTest : ::testing::Test {
    test::TempDir dir;
    test::TestApp app{dir / "prog"};
    MessageBoxAnswer answer = MessageBoxAnswer::No;
    std::vector<std::string> asked;

    void SetUp() override {
        test::MakeDirs(dir / "prog");
        test::MakeDirs(dir / "R");
        test::WriteFile(dir / "L/new.kvo", "new");
        app.form.imgPathLink[0].SetTag("1");
        app.form.LocalPathBox(0).SetText(dir / "L");
        app.form.RemotePathBox(0).SetText(dir / "R");
        app.form.cboSyncSpeed.AddItem("a");
        app.form.chkLogToFile.SetValue(1);
        app.state.LastSyncTime = 1234;
        app.ports.messageBox = [this](const std::string& title, const std::string& text,
                                      MessageBoxButtons) {
            asked.push_back(title + ": " + text);
            return answer;
        };
    }

    std::vector<std::string> Completed() const {
        const auto& items = app.form.lstCompletedTasks.Items();
        return {items.begin(), items.end()};
    }
};

// The operator looks before syncing: the tasks and their reasons are shown on the activity
// log, nothing is copied or written, and declining leaves everything as it was.
TEST_F(PreviewButtonTest, ShowsTheTasksChangesNothingAndSyncsOnlyWhenAsked) {
    cmdPreview_Click(app.ctx);
    EXPECT_FALSE(test::Exists(dir / "R/new.kvo"));
    EXPECT_FALSE(test::Exists(dir / "prog/VarnelFileSyncSettings"));
    EXPECT_FALSE(test::Exists(dir / "prog/VarnelFileSync Logs"));
    EXPECT_THAT(Completed(), Contains(HasSubstr(" - Preview Copy    \"Program Logs\"")));
    EXPECT_THAT(Completed(), Contains(HasSubstr("needs to be copied to remote folder")));
    EXPECT_THAT(Completed(), Contains(HasSubstr("Preview Finished: 1 Task, Nothing Changed")));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_THAT(asked[0], HasSubstr("A sync now would carry out 1 task"));
    EXPECT_TRUE(app.form.frmLog.Visible());  // the activity log is on show
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 0u);
    EXPECT_FALSE(app.state.Preview);
    EXPECT_EQ(app.state.LastSyncTime, 1234);  // the auto-sync cycle is not moved
    EXPECT_TRUE(app.form.cmdRun.Enabled());
    EXPECT_TRUE(app.form.cmdPreview.Enabled());

    answer = MessageBoxAnswer::Yes;
    cmdPreview_Click(app.ctx);
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 1u);  // the sync has queued its task
    EXPECT_FALSE(app.form.cmdPreview.Enabled());
    cmdPreview_Click(app.ctx);  // no preview while a run is under way
    EXPECT_EQ(asked.size(), 2u);
}

}  // namespace
}  // namespace vfs
