#include "config/tray_icon.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_app.h"

namespace vfs {
namespace {

using test::TestApp;

class TrayIconTest : public ::testing::Test {
  protected:
    TestApp app;
    TrayIcon icon{100};
    int32_t ms = 10 * 3600 * 1000;  // 10:00:00.000

    void SetUp() override {
        SetClock(ms);
        icon.AddTrayIcon(app.ctx);
    }
    void SetClock(int32_t msSinceMidnight) {
        ms = msSinceMidnight;
        app.clock.hour = ms / 3600000;
        app.clock.minute = ms / 60000 % 60;
        app.clock.second = ms / 1000 % 60;
        app.clock.millisecond = ms % 1000;
    }
    // One step a full timer interval after the previous one; answers the tray picture.
    std::string Step() {
        SetClock(ms + 100);
        icon.UpdateTrayIcon(app.ctx);
        return icon.picture();
    }
    std::vector<std::string> Steps(int n) {
        std::vector<std::string> shown;
        for (int i = 0; i < n; ++i)
            shown.push_back(Step());
        return shown;
    }
};

TEST_F(TrayIconTest, AddRegistersTheIdleIconWithTheSessionTooltip) {
    EXPECT_TRUE(icon.added());
    EXPECT_EQ(icon.picture(), "taskBarIcon0");
    EXPECT_EQ(icon.toolTip(), "Restore Varnel File Sync");
    EXPECT_EQ(icon.TrayIconLastUpdate, ms);
    EXPECT_EQ(TrayToolTip("2"), "Restore Varnel File Sync [2]");
    app.state.SessionSuffix = "3";
    icon.AddTrayIcon(app.ctx);
    EXPECT_EQ(icon.toolTip(), "Restore Varnel File Sync [3]");
    icon.RemoveTrayIcon();
    EXPECT_FALSE(icon.added());
}

TEST_F(TrayIconTest, BusySetsCycleThroughTheirFramesInTrayAndWindow) {
    struct Case {
        const char* name;
        bool copying, scanning, queued;
        std::vector<std::string> want;
    };
    const std::vector<Case> cases = {
        {"scanning",
         false,
         true,
         false,
         {"taskBarScanIcon0", "taskBarScanIcon1", "taskBarScanIcon2", "taskBarScanIcon3",
          "taskBarScanIcon4", "taskBarScanIcon5", "taskBarScanIcon6", "taskBarScanIcon7",
          "taskBarScanIcon0", "taskBarScanIcon1"}},
        {"waiting",
         false,
         false,
         true,
         {"taskBarIcon0", "taskBarIcon1", "taskBarIcon2", "taskBarIcon3", "taskBarIcon4",
          "taskBarIcon5", "taskBarIcon6", "taskBarIcon7", "taskBarIcon0"}},
        // Copying wins over scanning; its cycle holds the last frame for three steps.
        {"copying",
         true,
         true,
         true,
         {"taskBarCopyIcon0", "taskBarCopyIcon1", "taskBarCopyIcon2", "taskBarCopyIcon3",
          "taskBarCopyIcon4", "taskBarCopyIcon5", "taskBarCopyIcon6", "taskBarCopyIcon7",
          "taskBarCopyIcon7", "taskBarCopyIcon7", "taskBarCopyIcon7", "taskBarCopyIcon0"}},
    };
    for (const Case& c : cases) {
        icon.AddTrayIcon(app.ctx);
        app.state.CopyInProgress = c.copying;
        app.state.SyncInProgress = c.scanning;
        app.form.lstTasksToDo.Clear();
        if (c.queued) app.form.lstTasksToDo.AddItem("task");
        EXPECT_EQ(Steps(static_cast<int>(c.want.size())), c.want) << c.name;
        EXPECT_EQ(app.form.picIcon.PictureId(), c.want.back()) << c.name;
        // Back to idle: the next step restores the idle icon in both places at once.
        app.state.CopyInProgress = app.state.SyncInProgress = false;
        app.form.lstTasksToDo.Clear();
        EXPECT_EQ(Step(), "StandardTaskBarIcon") << c.name;
        EXPECT_EQ(app.form.picIcon.PictureId(), "StandardTaskBarIcon") << c.name;
        EXPECT_EQ(icon.TrayIconSet, kTraySetIdle);
        EXPECT_EQ(icon.TrayIconFrame, 0);
    }
}

TEST_F(TrayIconTest, IdleWithoutAutoSyncStandsStill) {
    app.state.AutoSync = false;
    const std::vector<std::string> shown = Steps(40);
    EXPECT_EQ(shown, std::vector<std::string>(40, "taskBarIcon0"));
    EXPECT_EQ(icon.TrayIconFrame, 0);
    EXPECT_EQ(icon.TrayIconLastUpdate, ms);
}

TEST_F(TrayIconTest, IdleAutoSyncAnimatesTheTrayOnlyEveryThirtyTwoSteps) {
    app.state.AutoSync = true;
    app.form.picIcon.SetPictureId("before");
    const std::vector<std::string> shown = Steps(34);
    std::vector<std::string> want;
    for (int f = 0; f < 8; ++f)
        want.push_back("taskBarIcon" + std::to_string(f));
    // Frame 8 shows the idle icon, which then stands through frame 31.
    want.insert(want.end(), 24, "StandardTaskBarIcon");
    want.push_back("taskBarIcon0");
    want.push_back("taskBarIcon1");
    EXPECT_EQ(shown, want);
    EXPECT_EQ(app.form.picIcon.PictureId(), "before");
}

TEST_F(TrayIconTest, StepsCloserThanTheTimerIntervalDoNothing) {
    app.state.SyncInProgress = true;
    // Thirty calls 10 ms apart: one step per 100 ms.
    for (int i = 0; i < 30; ++i) {
        SetClock(ms + 10);
        icon.UpdateTrayIcon(app.ctx);
    }
    EXPECT_EQ(icon.TrayIconFrame, 3);
    EXPECT_EQ(icon.picture(), "taskBarScanIcon2");
}

TEST_F(TrayIconTest, FirstStepAfterMidnightOnlyRestartsTheClock) {
    app.state.SyncInProgress = true;
    SetClock(86400000 - 50);
    icon.UpdateTrayIcon(app.ctx);
    ASSERT_EQ(icon.TrayIconFrame, 1);
    SetClock(30);
    icon.UpdateTrayIcon(app.ctx);
    EXPECT_EQ(icon.TrayIconFrame, 1);
    EXPECT_EQ(icon.TrayIconLastUpdate, 30);
    SetClock(130);
    icon.UpdateTrayIcon(app.ctx);
    EXPECT_EQ(icon.TrayIconFrame, 2);
}

TEST_F(TrayIconTest, CoreTrayRefreshDrivesTheAnimation) {
    ConnectTrayIcon(app.ctx, icon);
    app.state.SyncInProgress = true;
    SetClock(ms + 100);
    app.ports.updateTrayIcon();
    EXPECT_EQ(icon.picture(), "taskBarScanIcon0");
}

TEST(TrayIconMouseTest, LeftPressAndRightReleaseRestoreTheWindow) {
    for (const auto& [message, restores] : std::vector<std::pair<int, bool>>{
             {513, true}, {517, true}, {512, false}, {515, false}, {514, false}, {516, false}}) {
        TestApp app;
        app.state.MinimizedToTray = true;
        app.form.frmMain.SetVisible(false);
        EXPECT_EQ(TrayIcon_MouseMessage(app.ctx, message), restores) << message;
        EXPECT_FALSE(app.state.MinimizedToTray) << message;
        EXPECT_EQ(app.form.frmMain.Visible(), restores) << message;
    }
}

}  // namespace
}  // namespace vfs
