// Sessions side by side, and closing the program by signal while it works.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::WriteFile;

bool WaitForSettings(const ProgramFolder& pf, const std::string& file, const std::string& text) {
    for (int i = 0; i < 500; ++i) {
        if (Contains(pf.SettingsText(file), text)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(SessionTest, EachSessionHasItsOwnFilesAndRunsOnce) {
    ProgramFolder pf;
    WriteFile(pf / "L/a.kvo", "a");
    test::MakeDirs(pf / "R");
    pf.Settings("", "VarnelFileSync3.ini");
    pf.Settings("SleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") + "\nRPLog=" + (pf / "R") + "\n",
                "VarnelFileSync4.ini");

    Process running = pf.Start({"SESSION=3"});
    // The priority is the last value start-up writes.
    ASSERT_TRUE(WaitForSettings(pf, "VarnelFileSync3.ini", "AppPriority="));
    ASSERT_TRUE(Contains(pf.SettingsText("VarnelFileSync3.ini"), "Abnormal=1"));
    const std::string session3 = pf.SettingsText("VarnelFileSync3.ini");

    RunResult second = pf.Run({"session:3", "SYNCANDEXIT"});
    EXPECT_EQ(second.status, 3);
    // Without HEADLESS and without a display, the program says so once and runs headless.
    EXPECT_EQ(second.err,
              "varnelfilesync: no display to open a window on; running headless\n"
              "Session 3 Already Running: An instance of Varnel File Sync is already running for "
              "session 3.  This session will now be closed.\n");
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(pf.SettingsText("VarnelFileSync3.ini"), session3);

    RunResult beside = pf.Run({"SESSION:4", "SyncAndExit"});
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(ReadFile(pf / "R/a.kvo"), "a");
    EXPECT_EQ(pf.StateFile("Program_Logs.dat", "4"), "a.kvo\r\n");
    EXPECT_TRUE(Contains(pf.SettingsText("VarnelFileSync4.ini"), "Abnormal=0"));
    EXPECT_FALSE(Exists(pf.Prog() + "/VarnelFileSync.ini"));

    running.Signal(SIGTERM);
    EXPECT_EQ(running.Wait(10), 0);
    const std::string closed = pf.SettingsText("VarnelFileSync3.ini");
    EXPECT_TRUE(Contains(closed, "UnloadMode=2"));
    EXPECT_TRUE(Contains(closed, "Abnormal=0"));
}

// A run of many small copies started three seconds after start-up, without sync-and-exit.
struct SignalTest : ::testing::Test {
    static constexpr int kFiles = 30;
    ProgramFolder pf;

    void SetUp() override {
        for (int i = 0; i < kFiles; ++i) {
            WriteFile(pf / ("L/f" + std::to_string(i) + ".kvo"), std::string(1000, 'a' + i % 26));
        }
        test::MakeDirs(pf / "R");
        pf.Settings("AutoStart=True\nSleepTimeCopy=0\n[Paths]\nLPLog=" + (pf / "L") +
                    "\nRPLog=" + (pf / "R") + "\n");
    }

    int CopiedIntact() const {
        int copied = 0;
        for (int i = 0; i < kFiles; ++i) {
            const std::string name = "/f" + std::to_string(i) + ".kvo";
            if (!Exists(pf / ("R" + name))) continue;
            EXPECT_EQ(ReadFile(pf / ("R" + name)), ReadFile(pf / ("L" + name))) << name;
            ++copied;
        }
        return copied;
    }
};

// Also when a sync-and-exit run has asked for the exit before the signal comes.
TEST_F(SignalTest, TerminateDuringARunFinishesEveryTaskFirst) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"HEADLESS"}, {"HEADLESS", "SYNCANDEXIT"}}) {
        const std::string what = args.back() + ": ";
        // A fresh remote side that the pair has never been synced with.
        std::error_code ec;
        std::filesystem::remove_all(pf / "R", ec);
        std::filesystem::remove_all(pf.Prog() + "/VarnelFileSyncSettings", ec);
        test::MakeDirs(pf / "R");
        Process p = pf.Start(args);
        ASSERT_TRUE(p.WaitForOutput("Starting File Sync: 30 Files To Sync", 15)) << what;
        p.Signal(SIGTERM);
        EXPECT_EQ(p.Wait(30), 0) << what << p.Err();
        EXPECT_EQ(CopiedIntact(), kFiles) << what;
        EXPECT_TRUE(Contains(p.Out(), " - Sync    Finished File Sync\n")) << what;
        EXPECT_TRUE(Contains(pf.SettingsText(), "Abnormal=0")) << what;
        EXPECT_EQ(p.Err(), "") << what;  // the session-ending close shows no message
    }
}

TEST_F(SignalTest, SecondSignalClosesAtOnceAndLeavesTheMarker) {
    Process p = pf.Start({"HEADLESS"});
    ASSERT_TRUE(p.WaitForOutput("Starting File Sync: 30 Files To Sync", 15));
    p.Signal(SIGINT);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    p.Signal(SIGINT);
    EXPECT_EQ(p.Wait(5), 1);  // work was cut off
    EXPECT_LT(CopiedIntact(), kFiles);
    EXPECT_TRUE(Contains(pf.SettingsText(), "Abnormal=1"));
    EXPECT_FALSE(Exists(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.tmp"));
}

TEST(SignalDuringCopyTest, SecondSignalInsideACopyLeavesNoTemporaryFile) {
    ProgramFolder pf;
    const std::string big = std::string(64 << 20, 'b');
    WriteFile(pf / "L/big.kvo", big);
    test::MakeDirs(pf / "R");
    // The slowest speed pauses after every chunk, so the copy is still going when the
    // signals arrive.
    pf.Settings("AutoStart=True\nSleepTimeCopy=40\n[Paths]\nLPLog=" + (pf / "L") +
                "\nRPLog=" + (pf / "R") + "\n");
    Process p = pf.Start({"HEADLESS"});
    // The copy in flight is the one hidden name in the folder.
    const auto temporaries = [&pf] {
        std::vector<std::string> hidden;
        for (const auto& e : std::filesystem::directory_iterator(pf / "R")) {
            if (e.path().filename().string().front() == '.') hidden.push_back(e.path());
        }
        return hidden;
    };
    for (int i = 0; i < 1000 && temporaries().empty(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(temporaries().size(), 1u);
    // Two different signals, so that they cannot merge into one.
    p.Signal(SIGINT);
    p.Signal(SIGTERM);
    EXPECT_EQ(p.Wait(10), 1) << p.Err();
    EXPECT_TRUE(temporaries().empty());
    EXPECT_TRUE(!Exists(pf / "R/big.kvo") || ReadFile(pf / "R/big.kvo") == big);
    EXPECT_TRUE(Contains(p.Out(), " - Copy/Replace failed, unable to copy "));
    EXPECT_TRUE(Contains(pf.SettingsText(), "UnloadMode=2"));
}

}  // namespace
}  // namespace vfs::e2e
