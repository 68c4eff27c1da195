#include "engine/copy_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/copy_file.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

TEST(BytesToKB, RoundsHalvesToEvenOverTheFull64BitRange) {
    struct Case {
        int64_t bytes;
        int32_t kb;
    } cases[] = {
        {0, 0},
        {511, 0},
        {512, 0},
        {513, 1},
        {1536, 2},
        {2560, 2},
        {3584, 4},
        {2147483648LL, 2097152},
        {3221225984LL, 3145728},  // 3 GiB + 512 bytes: the half goes to the even neighbour
        {4294967296LL + 1536, 4194306},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BytesToKB(c.bytes), c.kb) << c.bytes;
}

struct CopyProgressTest : ::testing::Test {
    TempDir dir;
    TestApp app;
    // What the window showed at each progress report.
    struct Seen {
        bool copying;
        int bar;
        std::string label;
        std::string status;
    };
    std::vector<Seen> seen;

    void SetUp() override {
        app.ports.yield = [this] {
            ++app.yields;
            seen.push_back({app.state.CopyInProgress, app.form.pbTask.Value(),
                            app.form.lblPbTask.Caption(), app.form.lblStatus.Caption()});
        };
    }
};

TEST_F(CopyProgressTest, CopiesIntoANewFolderWithTextsBarAndOnePausePerReport) {
    const std::string content(2 * platform::kCopyChunkBytes, 'x');
    WriteFile(dir / "in/spot.wav", content);
    app.state.SleepTimeCopy = 5;

    ASSERT_TRUE(CopyFileWithProgress(app.ctx, dir / "in/spot.wav", dir / "out/deeper/spot.wav"));

    EXPECT_EQ(ReadFile(dir / "out/deeper/spot.wav"), content);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_TRUE(seen[0].copying);
    EXPECT_EQ(seen[0].bar, 50);
    EXPECT_EQ(seen[0].label, "spot.wav Copy Progress 50%");
    EXPECT_EQ(seen[1].label, "spot.wav Copy Progress 100%");
    const std::string folders = " spot.wav from " + (dir / "in") + " to " + (dir / "out/deeper");
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Finished copying" + folders);
    EXPECT_EQ(seen[0].status, "14:02:11 - Preparing to copy" + folders);
    EXPECT_EQ(seen[1].status, "14:02:11 - Copying (1024K/2048K)" + folders);
    EXPECT_EQ(app.sleeps, (std::vector<int>{5, 5}));
    EXPECT_EQ(app.trayRefreshes, 2);
    EXPECT_FALSE(app.state.CopyInProgress);
    EXPECT_FALSE(app.form.pbTask.Visible());
    EXPECT_FALSE(app.form.lblPbTask.Visible());
}

TEST_F(CopyProgressTest, ReportTextsShowExactCountsBeyondTwoGigabytes) {
    app.state.CopyFileName = "big.mp2";
    app.state.CopySourceFolder = "/a";
    app.state.CopyDestFolder = "/b";
    app.state.SleepTimeCopy = 0;
    CopyProgressCallback(app.ctx, 3221225472LL, 2147483648LL);
    EXPECT_EQ(app.form.lblStatus.Caption(),
              "14:02:11 - Copying (2097152K/3145728K) big.mp2 from /a to /b");
    EXPECT_EQ(app.form.pbTask.Value(), 67);
    EXPECT_EQ(app.form.lblTime.Caption(), "14:02:11");
    EXPECT_TRUE(app.sleeps.empty());
}

TEST_F(CopyProgressTest, ZeroLengthFileLeavesTheBarAtZero) {
    WriteFile(dir / "empty.krt", "");
    app.form.pbTask.SetValue(40);
    ASSERT_TRUE(CopyFileWithProgress(app.ctx, dir / "empty.krt", dir / "copy.krt"));
    EXPECT_TRUE(Exists(dir / "copy.krt"));
    EXPECT_EQ(app.form.pbTask.Value(), 0);
    CopyProgressCallback(app.ctx, 0, 0);
    EXPECT_EQ(app.form.pbTask.Value(), 0);
    EXPECT_EQ(app.form.lblPbTask.Caption(), "empty.krt Copy Progress 0%");
}

TEST_F(CopyProgressTest, CancelFromTheEventLoopStopsThisAndEveryLaterCopy) {
    WriteFile(dir / "a.wav", std::string(3 * platform::kCopyChunkBytes, 'a'));
    app.ports.yield = [this] { CancelCopy(app.ctx); };

    EXPECT_FALSE(CopyFileWithProgress(app.ctx, dir / "a.wav", dir / "out/a.wav"));
    EXPECT_FALSE(Exists(dir / "out/a.wav"));
    EXPECT_FALSE(app.state.CopyInProgress);
    EXPECT_TRUE(app.form.lblStatus.Caption().find(" - Finished copying a.wav") !=
                std::string::npos);
    EXPECT_FALSE(CopyFileWithProgress(app.ctx, dir / "a.wav", dir / "out/b.wav"));
    EXPECT_FALSE(Exists(dir / "out/b.wav"));
}

TEST_F(CopyProgressTest, UncreatableDestinationFolderFailsQuietly) {
    WriteFile(dir / "a.wav", "a");
    WriteFile(dir / "blocker", "a file where a folder should go");
    app.form.lblStatus.SetCaption("before");
    EXPECT_FALSE(CopyFileWithProgress(app.ctx, dir / "a.wav", dir / "blocker/sub/a.wav"));
    EXPECT_EQ(app.form.lblStatus.Caption(), "before");
    EXPECT_FALSE(app.state.CopyInProgress);
}

}  // namespace
}  // namespace vfs
