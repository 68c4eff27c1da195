#include "config/due_check.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::TempDir;
using test::TestApp;

constexpr int32_t kFiveMinutes = 300000;

int32_t At(int h, int m, int s) {
    return h * 3600000 + m * 60000 + s * 1000;
}

struct DueCheckTest : ::testing::Test {
    TempDir dir;
    TestApp app{dir / "prog"};
    std::vector<int> closes;

    void SetUp() override {
        test::MakeDirs(dir / "prog");
        app.ports.closeMainWindow = [this](int reason) { closes.push_back(reason); };
        app.state.AutoSync = true;
        app.state.SyncCycle = kFiveMinutes;
        app.form.lblNextSync.SetVisible(false);
        app.form.lblNextSyncTitle.SetVisible(false);
    }

    void Now(int h, int m, int s) { app.clock = {2026, 12, 5, h, m, s, 0}; }
    bool RunStarted() const {
        return app.state.LastSyncTime == At(app.clock.hour, app.clock.minute, app.clock.second);
    }
};

TEST_F(DueCheckTest, DueAcrossMidnightAndNextTimeAfterMidnight) {
    app.state.LastSyncTime = At(23, 58, 0);
    Now(0, 2, 59);
    DueCheck(app.ctx);
    EXPECT_EQ(app.state.LastSyncTime, At(23, 58, 0));
    EXPECT_EQ(app.form.lblNextSync.Caption(), "03:00");
    EXPECT_TRUE(app.form.lblNextSync.Visible());
    EXPECT_TRUE(app.form.lblNextSyncTitle.Visible());

    Now(0, 3, 0);
    DueCheck(app.ctx);
    EXPECT_TRUE(RunStarted());
    EXPECT_FALSE(app.state.SyncInProgress);  // the empty run closed itself
    EXPECT_EQ(app.form.lblNextSync.Caption(), "08:00");
}

TEST_F(DueCheckTest, NextTimeWithHours) {
    app.state.SyncCycle = 3600000;
    app.state.LastSyncTime = At(10, 0, 0);
    Now(10, 30, 0);
    DueCheck(app.ctx);
    EXPECT_EQ(app.form.lblNextSync.Caption(), "11:00:00");
}

TEST_F(DueCheckTest, StartupSyncRunsWithoutAutoSyncOnce) {
    app.state.AutoSync = false;
    app.state.StartupSyncPending = true;
    app.state.LastSyncTime = At(14, 2, 0) - kFiveMinutes + 3000;
    Now(14, 2, 3);
    DueCheck(app.ctx);
    EXPECT_TRUE(RunStarted());
    EXPECT_FALSE(app.state.StartupSyncPending);

    // Afterwards nothing is scheduled: labels hidden, icon refreshed.
    const int refreshes = app.trayRefreshes;
    Now(15, 0, 0);
    DueCheck(app.ctx);
    EXPECT_FALSE(RunStarted());
    EXPECT_FALSE(app.form.lblNextSync.Visible());
    EXPECT_EQ(app.trayRefreshes, refreshes + 1);
}

TEST_F(DueCheckTest, NothingStartsWhileBusyOrBeforeTheFirstRun) {
    app.form.lblNextSync.SetVisible(true);
    app.form.lblNextSyncTitle.SetVisible(true);
    app.state.LastSyncTime = -1;
    Now(12, 0, 0);
    DueCheck(app.ctx);
    EXPECT_EQ(app.state.LastSyncTime, -1);
    EXPECT_FALSE(app.form.lblNextSync.Visible());
    EXPECT_FALSE(app.form.lblNextSyncTitle.Visible());

    app.state.LastSyncTime = At(11, 0, 0);
    app.form.lstTasksToDo.AddItem("Copy    \"x\", \"a\", \"b\"");
    app.state.ExitRequested = true;
    DueCheck(app.ctx);
    EXPECT_EQ(app.state.LastSyncTime, At(11, 0, 0));
    EXPECT_TRUE(closes.empty());
}

TEST_F(DueCheckTest, IdleAfterAnExitRequestClosesAndStartsNothing) {
    app.state.ExitRequested = true;
    app.state.LastSyncTime = At(11, 0, 0);
    Now(12, 0, 0);  // a run would be due as well
    DueCheck(app.ctx);
    EXPECT_EQ(closes, std::vector<int>{1});
    EXPECT_EQ(app.state.LastSyncTime, At(11, 0, 0));
}

}  // namespace
}  // namespace vfs
