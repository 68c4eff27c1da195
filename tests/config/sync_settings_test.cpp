#include "config/sync_settings.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_store.h"
#include "platform/priority.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::TempDir;
using test::TestApp;

TEST(FormatMsAsTimeTest, ShowsHoursOnlyWhenThereAreAny) {
    const std::vector<std::pair<int32_t, std::string>> cases = {
        {300000, "05:00"},       {3600000, "01:00:00"},
        {45296000, "12:34:56"},  {0, "00:00"},
        {-1, "00:00"},           {-3600000, "00:00"},
        {999, "00:00"},          {1000, "00:01"},
        {59999, "00:59"},        {60000, "01:00"},
        {3601000, "01:00:01"},   {86400000, "24:00:00"},
        {360000000, "100:00:00"}};
    for (const auto& [ms, text] : cases)
        EXPECT_EQ(FormatMsAsTime(ms), text) << ms;
}

TEST(SyncCycleTest, ListsHoldTheFifteenCyclesInOppositeOrders) {
    TestApp app;
    const ListBox& down = app.form.lstSyncCycle;
    const ListBox& up = app.form.cboSyncCycle;
    ASSERT_EQ(down.ListCount(), 15u);
    ASSERT_EQ(up.ListCount(), 15u);
    for (std::size_t i = 0; i < 15; ++i) {
        EXPECT_EQ(down.Item(i), up.Item(14 - i));
        EXPECT_EQ(down.ItemData(i), std::stol(down.Item(i)) * 60000);
        EXPECT_EQ(up.ItemData(i), std::stol(up.Item(i)) * 60000);
    }
    EXPECT_EQ(down.Item(0), "60");
    EXPECT_EQ(up.Item(10), "15");
}

TEST(SyncCycleTest, ScrollingTheOneRowListChoosesTheRowThatComesIntoView) {
    TestApp app;  // clock at 14:02:11
    app.form.cboSyncCycle.SetListIndex(4);
    app.form.lstSyncCycle.SetListIndex(0);
    app.form.lstSyncCycle.SetTopIndex(2);
    lstSyncCycle_Click(app.ctx);
    EXPECT_EQ(app.form.lstSyncCycle.ListIndex(), 2);
    EXPECT_EQ(app.state.SyncCycle, 1800000);
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Synchronization Cycle Time Changed to 30:00");
    EXPECT_EQ(app.form.cboSyncCycle.ListIndex(), 4);  // the other list is not moved

    app.form.cboSyncCycle.SetListIndex(14);
    cboSyncCycle_Click(app.ctx);
    EXPECT_EQ(app.state.SyncCycle, 3600000);
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Synchronization Cycle Time Changed to 01:00:00");
    EXPECT_EQ(app.form.lstSyncCycle.ListIndex(), 2);

    // Nothing chosen: the cycle and the status line stay.
    app.form.cboSyncCycle.SetListIndex(-1);
    app.form.lblStatus.SetCaption("");
    cboSyncCycle_Click(app.ctx);
    EXPECT_EQ(app.state.SyncCycle, 3600000);
    EXPECT_EQ(app.form.lblStatus.Caption(), "");
}

TEST(SyncCycleTest, SetSyncCycleListsPositionsBothListsOnTheValue) {
    TestApp app;
    SetSyncCycleLists(app.ctx, 120000);
    EXPECT_EQ(app.form.lstSyncCycle.ListIndex(), 13);
    EXPECT_EQ(app.form.lstSyncCycle.TopIndex(), 13);
    EXPECT_EQ(app.form.cboSyncCycle.ListIndex(), 1);
    EXPECT_EQ(app.state.SyncCycle, 120000);
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Synchronization Cycle Time Changed to 02:00");

    SetSyncCycleLists(app.ctx, 250000);  // not a cycle value
    EXPECT_EQ(app.state.SyncCycle, 120000);
    EXPECT_EQ(app.form.cboSyncCycle.ListIndex(), 1);
}

TEST(AutoSyncTest, ButtonSwitchesBackAndForthWithoutTouchingTheLastSync) {
    TestApp app;
    app.state.LastSyncTime = 4242;
    btnAutoSync_Click(app.ctx);
    EXPECT_TRUE(app.state.AutoSync);
    EXPECT_EQ(app.form.chkAutoSync.Value(), 1);
    EXPECT_EQ(app.form.btnAutoSync.Picture(), "imgAutoSyncOn");
    EXPECT_EQ(app.form.btnAutoSync.DisabledPicture(), "imgAutoSyncOnDisabled");
    EXPECT_EQ(app.form.btnAutoSync.ToolTip(), "Auto-Sync Enabled");
    EXPECT_EQ(app.form.Focus(), "txtFocus");

    btnAutoSync_Click(app.ctx);
    EXPECT_FALSE(app.state.AutoSync);
    EXPECT_EQ(app.form.chkAutoSync.Value(), 0);
    EXPECT_EQ(app.form.btnAutoSync.Picture(), "imgAutoSyncOff");
    EXPECT_EQ(app.form.btnAutoSync.DisabledPicture(), "imgAutoSyncOffDisabled");
    EXPECT_EQ(app.form.btnAutoSync.ToolTip(), "Auto-Sync Disabled");
    EXPECT_EQ(app.state.LastSyncTime, 4242);

    app.form.chkAutoSync.SetValue(1);
    chkAutoSync_Click(app.ctx);
    EXPECT_TRUE(app.state.AutoSync);
    EXPECT_EQ(app.form.btnAutoSync.ToolTip(), "Auto-Sync Enabled");
}

TEST(SyncSpeedTest, ChoosingASpeedSetsBothPausesAtOnce) {
    struct Case {
        int position;
        int32_t copyMs, syncMs;
    };
    for (const Case& c : std::vector<Case>{
             {0, 0, 0}, {1, 3, 6}, {2, 7, 15}, {3, 25, 50}, {4, 40, 100}, {-1, 7, 15}}) {
        TestApp app;
        app.form.cboSyncSpeed.SetListIndex(c.position);
        cboSyncSpeed_Click(app.ctx);
        EXPECT_EQ(app.state.SleepTimeCopy, c.copyMs) << c.position;
        EXPECT_EQ(app.state.SleepTimeSync, c.syncMs) << c.position;
    }
}

// Puts the calling thread's nice value back after a test changes it.
class PriorityHandlerTest : public ::testing::Test {
  protected:
    int savedNice = 0;
    void SetUp() override {
        errno = 0;
        savedNice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
    }
    void TearDown() override { setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), savedNice); }
    static int ThreadNice() { return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())); }
    static void FillPriorities(TestApp& app) {
        for (const char* item : {"High", "Above Normal", "Normal", "Below Normal", "Low"}) {
            app.form.cboPriority.AddItem(item);
        }
    }
};

TEST_F(PriorityHandlerTest, LowSavesLevelFiveAndLowersTheThread) {
    TempDir dir;
    TestApp app(dir.path());
    FillPriorities(app);
    // No row chosen: no level to take, so the most urgent one is not reached by accident.
    app.state.AppPriority = 3;
    cboPriority_Click(app.ctx);
    EXPECT_EQ(app.state.AppPriority, 3);
    EXPECT_EQ(app.form.lblResult.Caption(), "Application Priority Not Verified");

    app.form.cboPriority.SetListIndex(4);
    cboPriority_Click(app.ctx);
    EXPECT_EQ(app.state.AppPriority, 5);
    EXPECT_EQ(ThreadNice(), NiceForLevel(5));
    EXPECT_EQ(app.form.lblResult.Caption(), "Priority Setting Confirmed");
    EXPECT_EQ(
        ReadIniString(SettingsFilePath(app.ctx), "Settings", "AppPriority", IniValue()).ToText(),
        "5");
}

// A raise the system refuses is reported, and the level is kept all the same.
TEST_F(PriorityHandlerTest, RefusedRaiseIsNotConfirmedButSaved) {
    TempDir dir;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Without privilege a thread may lower its priority but not raise it.
        if (geteuid() == 0 && setuid(65534) != 0) _exit(10);
        TestApp app(dir.path());
        FillPriorities(app);
        app.form.cboPriority.SetListIndex(0);
        cboPriority_Click(app.ctx);
        if (app.state.AppPriority != 1) _exit(11);
        if (app.form.lblResult.Caption() != "Priority Setting Not Confirmed") _exit(12);
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace vfs
