#include "engine/transfer_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/run_sync.h"
#include "engine/task_execution.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

constexpr int64_t kMB = 1024 * 1024;

TEST(TransferProgressTest, TellsTasksBytesAndTheTimeLeftAtTheRunsPace) {
    struct Case {
        const char* what;
        TransferProgress progress;
        int32_t queued;
        int64_t nowMs;
        std::string text;
    };
    // Tasks begun, queued bytes, settled bytes, current task, copied of it, start.
    const std::vector<Case> cases = {
        {"only deletes", {2, 0, 0, 0, 0, 1000, false}, 5, 9000, "Task 2 of 5"},
        {"pace not known yet",
         {1, 400 * kMB, 0, 200 * kMB, 10 * kMB, 1000, false},
         2,
         1800,
         "Task 1 of 2, 10 MB of 400 MB"},
        {"half way after 50 s",
         {2, 400 * kMB, 200 * kMB, 200 * kMB, 0, 1000, false},
         2,
         51000,
         "Task 2 of 2, 200 MB of 400 MB, about 50 s left"},
        {"minutes",
         {1, 400 * kMB, 0, 400 * kMB, 40 * kMB, 0, false},
         1,
         60000,
         "Task 1 of 1, 40 MB of 400 MB, about 9 min left"},
        {"hours",
         {1, 10000 * kMB, 0, 10000 * kMB, 100 * kMB, 0, false},
         1,
         60000,
         "Task 1 of 1, 100 MB of 9.8 GB, about 1 h 39 min left"},
        {"over midnight",
         {1, 400 * kMB, 0, 400 * kMB, 200 * kMB, 86399000, false},
         1,
         99000,
         "Task 1 of 1, 200 MB of 400 MB, about 2 min left"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TransferProgressText(c.progress, c.queued, c.nowMs), c.text) << c.what;
    EXPECT_EQ(ReadableSize(512), "512 B");
    EXPECT_EQ(ReadableSize(1536), "1.5 KB");
    EXPECT_EQ(ReadableSize(2684354560), "2.5 GB");
}

// Two large files and a small one: the bar follows the bytes, so it stays low while the
// large ones are still to copy, and the label counts the tasks.
TEST(TransferProgressTest, TheBarFollowsTheBytesOfARealRun) {
    test::TempDir dir;
    test::TestApp app(dir / "prog");
    test::MakeDirs(dir / "prog");
    test::MakeDirs(dir / "R");
    test::WriteFile(dir / "L/a.kvo", std::string(3 * 1024 * 1024, 'a'));
    test::WriteFile(dir / "L/b.kvo", std::string(3 * 1024 * 1024, 'b'));
    test::WriteFile(dir / "L/c.kvo", "c");
    app.form.imgPathLink[0].SetTag("1");
    app.form.LocalPathBox(0).SetText(dir / "L");
    app.form.RemotePathBox(0).SetText(dir / "R");
    app.form.cboSyncSpeed.AddItem("a");
    std::vector<std::string> labels;
    app.form.notifier.listener = [&](const std::string& name) {
        if (name == "lblPbOverall") labels.push_back(app.form.lblPbOverall.Caption());
    };
    RunSync(app.ctx);
    ASSERT_EQ(app.form.lstTasksToDo.ListCount(), 3u);
    EXPECT_EQ(app.state.Transfer.queuedBytes, 6 * 1024 * 1024 + 1);
    labels.clear();
    tmrMain_Timer(app.ctx, nullptr);  // a.kvo, the first large file
    ASSERT_FALSE(labels.empty());
    EXPECT_EQ(labels.front(),
              "Overall File Copy/Replace/Delete Progress 0% - Task 1 of 3, 0 B of 6.0 MB");
    while (app.form.lstTasksToDo.ListCount() > 0)
        tmrMain_Timer(app.ctx, nullptr);
    bool halfWay = false;
    for (const std::string& label : labels)
        halfWay = halfWay || label.find("50% - Task 2 of 3, 3.0 MB of 6.0 MB") != std::string::npos;
    EXPECT_TRUE(halfWay);
    EXPECT_EQ(app.state.Transfer.queuedBytes, 0);  // the next run counts afresh
    EXPECT_EQ(test::ReadFile(dir / "R/c.kvo"), "c");
}

}  // namespace
}  // namespace vfs
