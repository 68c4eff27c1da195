#include "config/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings_store.h"
#include "platform/instance_lock.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

TEST(ParseCommandLineTest, SessionsAreSearchedTwoToNineAnywhereIgnoringCase) {
    const struct {
        const char* text;
        const char* session;
    } cases[] = {
        {"", ""},
        {"SESSION=3", "3"},
        {"session:4", "4"},
        {"SESSION=1", ""},
        {"SESSION=10", ""},
        {"SESSION=25", "2"},  // holds "SESSION=2"
        {"SESSION:7 SESSION=5", "5"},
        {"xxSESSION=9yy", "9"},
        {"SESSION 3", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseCommandLine(c.text).SessionSuffix, c.session) << c.text;
}

TEST(ParseCommandLineTest, SyncAndExitAndHeadlessAnywhere) {
    const CommandLine line = ParseCommandLine("session:3 SyncAndExitNow headless");
    EXPECT_TRUE(line.SyncAndExit);
    EXPECT_TRUE(line.Headless);
    EXPECT_FALSE(ParseCommandLine("SYNC AND EXIT").SyncAndExit);
    const char* argv[] = {"prog", "SESSION=", "3", "syncandexit"};
    EXPECT_EQ(JoinArguments(4, argv), "SESSION= 3 syncandexit");
    EXPECT_EQ(ParseCommandLine(JoinArguments(4, argv)).SessionSuffix, "");
}

// A program folder with a settings file, and a private folder for the session locks.
struct StartupTest : ::testing::Test {
    TempDir dir;
    std::string prog = dir / "prog";
    platform::InstanceLock lock{dir / "locks"};
    std::vector<std::string> boxes;

    void SetUp() override { test::MakeDirs(dir / "locks"); }

    void Settings(const std::string& file, const std::string& text) {
        WriteFile(prog + "/" + file, "[Settings]\r\nFirstRun=False\r\n" + text);
    }

    void Record(TestApp& app) {
        app.ports.messageBox = [this](const std::string& title, const std::string& text,
                                      MessageBoxButtons) {
            boxes.push_back(title + "|" + text);
            return MessageBoxAnswer::Ok;
        };
    }
};

TEST_F(StartupTest, LoadsTheSessionAndSchedulesTheStartupSyncAcrossMidnight) {
    Settings("VarnelFileSync3.ini", "SyncCycle=3600000\r\nAppPriority=4\r\n");
    WriteFile(prog + "/VarnelFileSyncSettings3/Program_Logs.tmp", "old\r\n");
    WriteFile(prog + "/VarnelFileSyncSettings3/Program_Logs.dat", "kept\r\n");
    WriteFile(prog + "/VarnelFileSyncSettings/Program_Logs.tmp", "another session's\r\n");
    TestApp app(prog);
    app.state.SettingsFolder.clear();
    app.clock = {2026, 12, 5, 0, 0, 30, 0};

    ASSERT_EQ(FormLoad(app.ctx, "session:3 SyncAndExit", lock), LoadResult::Loaded);

    EXPECT_EQ(app.state.SessionSuffix, "3");
    EXPECT_EQ(app.state.SettingsFolder, test::NativePath(prog + "/"));
    EXPECT_EQ(app.form.frmMain.Caption(), "Varnel File Sync - Session 3");
    EXPECT_EQ(app.form.lblVersion.Caption().rfind("Version\r\n", 0), 0u);
    EXPECT_EQ(app.form.chkLogToFile.Caption(),
              "Log Completed Tasks to File:  " + test::NativePath(prog + "/VarnelFileSync Logs/"));
    EXPECT_TRUE(app.state.SyncAndExit);
    EXPECT_TRUE(app.state.StartupSyncPending);
    EXPECT_EQ(app.state.LastSyncTime, 30000 - 3600000 + 3000 + 86400000);
    EXPECT_EQ(app.form.cboPriority.ListCount(), 5u);
    EXPECT_EQ(app.form.cboPriority.Text(), "Below Normal");
    EXPECT_EQ(app.form.lblStatus.Caption(), "");
    EXPECT_FALSE(app.form.cmdPage[0].Enabled());
    EXPECT_TRUE(app.form.cmdPage[1].Enabled());
    EXPECT_FALSE(app.form.frmSettings.Visible());
    // Leftover pending state of this session only.
    EXPECT_FALSE(Exists(prog + "/VarnelFileSyncSettings3/Program_Logs.tmp"));
    EXPECT_TRUE(Exists(prog + "/VarnelFileSyncSettings3/Program_Logs.dat"));
    EXPECT_TRUE(Exists(prog + "/VarnelFileSyncSettings/Program_Logs.tmp"));
    EXPECT_NE(ReadFile(prog + "/VarnelFileSync3.ini").find("Abnormal=1"), std::string::npos);
}

TEST_F(StartupTest, WithoutAutoStartNoSyncIsScheduled) {
    Settings("VarnelFileSync.ini", "AutoSync=True\r\n");
    TestApp app(prog);
    ASSERT_EQ(FormLoad(app.ctx, "", lock), LoadResult::Loaded);
    EXPECT_EQ(app.state.LastSyncTime, -1);
    EXPECT_FALSE(app.state.StartupSyncPending);
    EXPECT_EQ(app.form.frmMain.Caption(), "Varnel File Sync");
}

TEST_F(StartupTest, SecondInstanceOfASessionEndsWithoutTouchingAnything) {
    Settings("VarnelFileSync4.ini", "");
    WriteFile(prog + "/VarnelFileSyncSettings4/Program_Logs.tmp", "running instance's\r\n");
    TestApp first(prog);
    ASSERT_EQ(FormLoad(first.ctx, "SESSION=4", lock), LoadResult::Loaded);
    WriteFile(prog + "/VarnelFileSyncSettings4/Program_Logs.tmp", "running instance's\r\n");
    const std::string settingsBefore = ReadFile(prog + "/VarnelFileSync4.ini");

    platform::InstanceLock secondLock{dir / "locks"};
    TestApp second(prog);
    Record(second);
    EXPECT_EQ(FormLoad(second.ctx, "session:4", secondLock), LoadResult::AlreadyRunning);
    platform::InstanceLock defaultLock{dir / "locks"};
    TestApp third(prog);
    Record(third);
    EXPECT_EQ(FormLoad(third.ctx, "", defaultLock), LoadResult::Loaded);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0],
              "Session 4 Already Running|An instance of Varnel File Sync is already running for "
              "session 4.  This session will now be closed.");
    EXPECT_EQ(ReadFile(prog + "/VarnelFileSync4.ini"), settingsBefore);
    EXPECT_TRUE(Exists(prog + "/VarnelFileSyncSettings4/Program_Logs.tmp"));
    EXPECT_EQ(AlreadyRunningTitle(""), "Session Already Running");
    EXPECT_EQ(AlreadyRunningText(""),
              "An instance of Varnel File Sync is already running.  This session will now be "
              "closed.");
}

struct CloseTest : StartupTest {
    TestApp app{prog};
    std::vector<std::string> prompts;
    MessageBoxAnswer answer = MessageBoxAnswer::Yes;

    void SetUp() override {
        StartupTest::SetUp();
        Settings("VarnelFileSync.ini", "");
        Record(app);
        app.ports.messageBox = [this](const std::string& title, const std::string& text,
                                      MessageBoxButtons buttons) {
            boxes.push_back(title + "|" + text);
            EXPECT_EQ(buttons, MessageBoxButtons::YesNo);
            return answer;
        };
        app.ports.promptShown = [this](const std::string& title, const std::string& message) {
            prompts.push_back(title + "|" + message);
        };
        ASSERT_EQ(FormLoad(app.ctx, "", lock), LoadResult::Loaded);
    }

    std::string Ini() { return ReadFile(prog + "/VarnelFileSync.ini"); }
    void Busy() { app.form.lstTasksToDo.AddItem("Copy    \"x\", \"a\", \"b\""); }
};

TEST_F(CloseTest, UserCloseAnsweredNoWritesNothing) {
    answer = MessageBoxAnswer::No;
    const std::string before = Ini();
    EXPECT_FALSE(QueryUnload(app.ctx, kCloseByUser));
    EXPECT_EQ(boxes, std::vector<std::string>{
                         "Confirm Exit|Are you sure you want to exit Varnel File Sync"});
    EXPECT_EQ(Ini(), before);
}

TEST_F(CloseTest, IdleCloseGoesAheadAndKeepsTheReason) {
    EXPECT_TRUE(QueryUnload(app.ctx, kCloseByUser));
    EXPECT_NE(Ini().find("UnloadMode=0"), std::string::npos);
    EXPECT_TRUE(QueryUnload(app.ctx, kCloseByTaskManager));
    EXPECT_NE(Ini().find("UnloadMode=3"), std::string::npos);
}

TEST_F(CloseTest, BusyCloseWaitsForTheWorkAndSpeedsItUp) {
    Busy();
    EXPECT_FALSE(QueryUnload(app.ctx, kCloseByUser));
    EXPECT_TRUE(app.state.ExitRequested);
    EXPECT_EQ(app.state.SleepTimeCopy, 0);
    EXPECT_EQ(app.state.SleepTimeSync, 0);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0],
              "Sync In Progress|Varnel File Sync is currently performing a file sync.\r\n\r\n"
              "Varnel File Sync will exit automatically as soon as the sync process is complete");
    // Once an exit is asked for, a further close is not refused.
    EXPECT_TRUE(QueryUnload(app.ctx, kCloseByUser));
}

TEST_F(CloseTest, SessionEndingWhileBusyShowsNoWindow) {
    app.state.SyncInProgress = true;
    EXPECT_FALSE(QueryUnload(app.ctx, kCloseSessionEnding));
    EXPECT_TRUE(boxes.empty());
    EXPECT_TRUE(prompts.empty());
    EXPECT_TRUE(app.state.ExitRequested);
    EXPECT_NE(Ini().find("UnloadMode=2"), std::string::npos);
}

TEST_F(CloseTest, UnloadSavesTheMarkerDropsPendingStateAndFreesTheSession) {
    WriteFile(prog + "/VarnelFileSyncSettings/Program_Logs.tmp", "pending\r\n");
    bool timerStopped = false;
    FormUnload(app.ctx, lock, [&] { timerStopped = true; });
    EXPECT_TRUE(timerStopped);
    EXPECT_NE(Ini().find("Abnormal=0"), std::string::npos);
    EXPECT_FALSE(Exists(prog + "/VarnelFileSyncSettings/Program_Logs.tmp"));
    platform::InstanceLock next{dir / "locks"};
    EXPECT_TRUE(next.Acquire(kInstanceMarker));
    EXPECT_TRUE(next.Held());
}

TEST_F(CloseTest, UnloadWithWorkLeftKeepsTheAbnormalMarker) {
    Busy();
    app.state.CopyInProgress = true;
    FormUnload(app.ctx, lock, nullptr);
    EXPECT_EQ(app.state.CopyCancelRequested, 1);
    EXPECT_NE(Ini().find("Abnormal=1"), std::string::npos);
}

}  // namespace
}  // namespace vfs
