// The program killed at random moments of a run that copies, replaces and deletes, then
// started again: no file may end truncated or lost.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;

constexpr int kTrials = 10;
constexpr int64_t kBefore = 1600000000;
constexpr int64_t kAfter = kBefore + 1000;

// Content large enough for a copy to take several chunks, different per file and version.
std::string Content(const std::string& name, int version) {
    std::string text(3 * 1024 * 1024 + 77, '.');
    const std::string tag = name + " version " + std::to_string(version) + "\n";
    for (std::size_t i = 0; i + tag.size() <= text.size(); i += 4096) {
        std::copy(tag.begin(), tag.end(), text.begin() + static_cast<std::ptrdiff_t>(i));
    }
    return text;
}

// One program folder after an earlier sync, with changes on both sides since: what each
// file must hold on both sides once the program has recovered.
struct Trial {
    ProgramFolder pf;
    std::string L = pf / "L";
    std::string R = pf / "R";
    std::map<std::string, std::string> expected;  // newest content before the run
    std::vector<std::string> deletable;           // may be gone from both sides instead

    Trial() {
        Put(L, "newL0.kvo", 1, kBefore);
        Put(L, "newL1.kvo", 1, kBefore);
        Put(R, "newR0.kvo", 1, kBefore);
        for (const char* name : {"repl0.kvo", "repl1.kvo"}) {
            Put(R, name, 1, kBefore);
            Put(L, name, 2, kAfter);
        }
        Put(L, "keep.kvo", 1, kBefore);
        Put(R, "keep.kvo", 1, kBefore);
        Put(L, "del0.kvo", 1, kBefore);  // deleted on the remote side since the last sync
        deletable.push_back("del0.kvo");
        WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat",
                  "del0.kvo\r\nkeep.kvo\r\nrepl0.kvo\r\nrepl1.kvo\r\n");
        // The slowest speed, so that the kill often lands inside a scan or a copy.
        pf.Settings("SleepTimeCopy=40\n[Paths]\nLPLog=" + L + "\nRPLog=" + R + "\n");
    }

    void Put(const std::string& folder, const std::string& name, int version, int64_t mtime) {
        const std::string text = Content(name, version);
        WriteFile(folder + "/" + name, text);
        SetMtime(folder + "/" + name, mtime);
        if (mtime >= kAfter || !expected.count(name)) expected[name] = text;
    }

    void Check(const std::string& what) const {
        for (const auto& [name, text] : expected) {
            const bool left = Exists(L + "/" + name), right = Exists(R + "/" + name);
            const bool mayBeGone =
                std::find(deletable.begin(), deletable.end(), name) != deletable.end();
            if (mayBeGone && !left && !right) continue;
            ASSERT_TRUE(left && right) << what << name;
            EXPECT_TRUE(ReadFile(L + "/" + name) == text) << what << "local " << name;
            EXPECT_TRUE(ReadFile(R + "/" + name) == text) << what << "remote " << name;
        }
    }
};

TEST(CrashRecoveryTest, KilledRunsRecoverWithoutTruncatedOrLostFiles) {
    std::vector<std::unique_ptr<Trial>> trials;
    for (int i = 0; i < kTrials; ++i)
        trials.push_back(std::make_unique<Trial>());

    // The trials run side by side; trial i is killed in its own fifth of a second between
    // the start of its run (3 s) and the end of its tasks.
    std::mt19937 random(std::random_device{}());
    std::vector<int> killAtMs;
    std::vector<Process> runs;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTrials; ++i) {
        killAtMs.push_back(2900 + 200 * i + static_cast<int>(random() % 200));
        runs.push_back(trials[i]->pf.Start({"HEADLESS", "SYNCANDEXIT"}));
    }
    for (int i = 0; i < kTrials; ++i) {
        std::this_thread::sleep_until(start + std::chrono::milliseconds(killAtMs[i]));
        runs[i].Signal(SIGKILL);
        runs[i].Wait(10);
    }

    std::vector<Process> recoveries;
    int killedMidRun = 0;
    for (auto& trial : trials)
        recoveries.push_back(trial->pf.Start({"HEADLESS", "SYNCANDEXIT"}));
    for (int i = 0; i < kTrials; ++i) {
        const std::string what = "killed at " + std::to_string(killAtMs[i]) + " ms: ";
        EXPECT_EQ(recoveries[i].Wait(60), 0) << what << recoveries[i].Err();
        if (Contains(recoveries[i].Err(), "Was Not Properly Shut Down")) ++killedMidRun;
        trials[i]->Check(what);
        EXPECT_TRUE(Contains(trials[i]->pf.SettingsText(), "Abnormal=0")) << what;
    }
    // Most kills must land inside the run, or the test shows nothing.
    EXPECT_GE(killedMidRun, kTrials / 2);
}

}  // namespace
}  // namespace vfs::e2e
