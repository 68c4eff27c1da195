#include "engine/task_execution.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_helpers.h"
#include "engine/folder_scan.h"
#include "engine/state_files.h"
#include "engine/task_line.h"
#include "platform/copy_file.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::Mtime;
using test::ReadFile;
using test::SetMtime;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

constexpr const char* kCategory = "Program Logs";
constexpr int64_t kOldTime = 1500000000;
constexpr int64_t kNewTime = 1600000000;

struct TaskTest : ::testing::Test {
    TempDir dir;
    TestApp app{dir / "prog"};
    std::string L = dir / "L/";
    std::string R = dir / "R/";
    std::string bak = dir / "bak/";

    void SetUp() override {
        test::MakeDirs(L);
        test::MakeDirs(R);
        test::MakeDirs(dir / "prog");
    }
    void EnableBackups() {
        app.form.chkEnableFileBackup.SetValue(1);
        app.state.BackupPathIsValid = true;
        app.form.txtBackupDir.SetText(bak);
        app.form.cboNumFileBackups.SetListIndex(4);
        test::MakeDirs(bak);  // a run creates the backup root before its tasks
    }
    void Source(const std::string& name, const std::string& content) {
        WriteFile(L + name, content);
        SetMtime(L + name, kNewTime);
    }
    void OldDestination(const std::string& name, const std::string& content) {
        WriteFile(R + name, content);
        SetMtime(R + name, kOldTime);
    }
    bool Run(int kind, const std::string& name) {
        std::string line = BuildTaskLine(kind, kCategory, name, L, kind == kTaskDelete ? "" : R);
        return ExecuteTask(app.ctx, line);
    }
    void SeedPending(const std::vector<std::string>& names) {
        SaveStateFile(app.ctx, kCategory, names, true);
    }
    bool Pending(const std::string& name) {
        std::vector<std::string> names;
        LoadStateFile(app.ctx, kCategory, names, true);
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    // A copy's temporary file is a hidden name in the destination's folder.
    static std::vector<std::string> HiddenNames(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) {
            const std::string name = e.path().filename().string();
            if (name.front() == '.') names.push_back(name);
        }
        return names;
    }
    std::vector<std::string> Completed() const { return app.form.lstCompletedTasks.Items(); }
};

TEST_F(TaskTest, CopyCreatesTheDestinationWithTheSourceTimeAndNoBackup) {
    for (bool backups : {false, true}) {
        SCOPED_TRACE(backups);
        if (backups) EnableBackups();
        const std::string name = backups ? "b.kvo" : "a.kvo";
        Source(name, "fresh");
        ASSERT_TRUE(Run(kTaskCopy, name));
        EXPECT_EQ(ReadFile(R + name), "fresh");
        EXPECT_EQ(Mtime(R + name), kNewTime);
        EXPECT_TRUE(HiddenNames(R).empty());
        EXPECT_FALSE(Exists(bak + "Program_Logs")) << "nothing existed to back up";
    }
    EXPECT_TRUE(Completed().empty()) << "successes are logged by the tick";
}

TEST_F(TaskTest, ReplaceSwapsInTheNewContentAndBacksUpTheOldOne) {
    for (bool backups : {false, true}) {
        SCOPED_TRACE(backups);
        if (backups) EnableBackups();
        Source("a.kvo", backups ? "new2" : "new1");
        OldDestination("a.kvo", "old");
        ASSERT_TRUE(Run(kTaskReplace, "a.kvo"));
        EXPECT_EQ(ReadFile(R + "a.kvo"), backups ? "new2" : "new1");
        EXPECT_EQ(Mtime(R + "a.kvo"), kNewTime);
        EXPECT_TRUE(HiddenNames(R).empty());
        EXPECT_EQ(Exists(bak + "Program_Logs/001/a.kvo"), backups);
        if (backups) {
            EXPECT_EQ(ReadFile(bak + "Program_Logs/001/a.kvo"), "old");
        }
    }
}

TEST_F(TaskTest, CopyOntoAFileThatAppearedAfterTheScanIsAReplace) {
    EnableBackups();
    Source("a.kvo", "new");
    OldDestination("a.kvo", "appeared");
    ASSERT_TRUE(Run(kTaskCopy, "a.kvo"));
    EXPECT_EQ(ReadFile(R + "a.kvo"), "new");
    EXPECT_EQ(ReadFile(bak + "Program_Logs/001/a.kvo"), "appeared");
}

TEST_F(TaskTest, DeleteRemovesTheFileAfterItsBackup) {
    for (bool backups : {false, true}) {
        SCOPED_TRACE(backups);
        if (backups) EnableBackups();
        Source("gone.kvo", backups ? "kept in backup" : "x");
        ASSERT_TRUE(Run(kTaskDelete, "gone.kvo"));
        EXPECT_FALSE(Exists(L + "gone.kvo"));
        if (backups) {
            EXPECT_EQ(ReadFile(bak + "Program_Logs/001/gone.kvo"), "kept in backup");
        }
    }
}

// The temporary copy is a hidden name of ours: an operator's "a.kvo.tmp" is never touched,
// nor is a temporary copy that may still be another session's. Only one that has not
// changed for hours is a crash's leftover, removed the first time a run copies there.
TEST_F(TaskTest, TemporaryCopiesNeverMeetOtherFilesAndOldLeftoversGo) {
    Source("a.kvo", "new");
    OldDestination("a.kvo", "old");
    WriteFile(R + "a.kvo.tmp", "the operator's own file");
    WriteFile(R + ".vfs-0123456789ab", "another session's copy in flight");
    WriteFile(R + ".vfs-notours", "a hidden file of someone else");
    ASSERT_TRUE(Run(kTaskReplace, "a.kvo"));
    EXPECT_EQ(ReadFile(R + "a.kvo"), "new");
    EXPECT_EQ(ReadFile(R + "a.kvo.tmp"), "the operator's own file");
    EXPECT_EQ(ReadFile(R + ".vfs-0123456789ab"), "another session's copy in flight");

    // Three hours on, a new run finds the same temporary copy still unchanged.
    app.ctx.state.TaskViews.Clear();
    app.clock = platform::EpochToLocal(static_cast<int64_t>(::time(nullptr)) + 3 * 60 * 60);
    ASSERT_TRUE(Run(kTaskReplace, "a.kvo"));
    EXPECT_FALSE(Exists(R + ".vfs-0123456789ab"));
    EXPECT_TRUE(Exists(R + ".vfs-notours"));
    EXPECT_TRUE(Exists(R + "a.kvo.tmp"));
}

TEST_F(TaskTest, LinesThatDoNothing) {
    std::string noSeparator = "Copy    \"Program Logs only";
    EXPECT_FALSE(ExecuteTask(app.ctx, noSeparator));
    std::string unknownVerb = "Move    \"Program Logs\", \"" + L + "a.kvo\", \"" + R + "a.kvo\"";
    Source("a.kvo", "x");
    EXPECT_TRUE(ExecuteTask(app.ctx, unknownVerb));
    EXPECT_FALSE(Exists(R + "a.kvo"));
    EXPECT_TRUE(Completed().empty());
}

TEST_F(TaskTest, FailedBackupCancelsTheTaskAndKeepsEveryFile) {
    EnableBackups();
    WriteFile(dir / "blocker", "a file where the backup folder should be");
    app.form.txtBackupDir.SetText(dir / "blocker");
    app.form.chkLogToFile.SetValue(1);
    SeedPending({"a.kvo", "d.kvo"});
    Source("a.kvo", "new");
    OldDestination("a.kvo", "old");
    Source("d.kvo", "keep");

    for (int kind : {kTaskReplace, kTaskCopy}) {
        EXPECT_FALSE(Run(kind, "a.kvo"));
        EXPECT_EQ(Completed().back(),
                  "14:02:11 - Copy/Replace Canceled, Backup of " + R + "a.kvo Failed");
    }
    EXPECT_FALSE(Run(kTaskDelete, "d.kvo"));
    EXPECT_EQ(Completed().back(), "14:02:11 - Delete Canceled, Backup of " + L + "d.kvo Failed");
    auto log = ReadFile(dir / "prog/VarnelFileSync Logs/Task_Log_12052026.txt");
    EXPECT_NE(log.find("Delete Canceled, Backup of " + L + "d.kvo Failed\r\n"), std::string::npos);
    EXPECT_NE(log.find("Copy/Replace Canceled, Backup of " + R + "a.kvo Failed\r\n"),
              std::string::npos);

    EXPECT_EQ(ReadFile(R + "a.kvo"), "old");
    EXPECT_EQ(ReadFile(L + "d.kvo"), "keep");
    EXPECT_TRUE(Pending("a.kvo"));
    EXPECT_TRUE(Pending("d.kvo"));
}

TEST_F(TaskTest, NotEnoughSpaceCancelsAndForgetsTheName) {
    Source("huge.kvo", "");
    const int64_t size = static_cast<int64_t>(GetFreeSpace(R)) + (int64_t{1} << 32);
    if (::truncate((L + "huge.kvo").c_str(), size) != 0) GTEST_SKIP() << "no sparse file";
    SeedPending({"huge.kvo", "other.kvo"});

    EXPECT_FALSE(Run(kTaskCopy, "huge.kvo"));
    const std::string line = Completed().back();
    const std::string head = "14:02:11 - Copy/Replace Canceled, insufficient space (" +
                             std::to_string(size) + ") to save to " + R + "huge.kvo(";
    EXPECT_EQ(line.substr(0, head.size()), head);
    EXPECT_EQ(line.back(), ')');
    EXPECT_FALSE(Exists(R + "huge.kvo"));
    EXPECT_FALSE(Exists(R + "huge.kvo.tmp"));
    EXPECT_FALSE(Pending("huge.kvo"));
    EXPECT_TRUE(Pending("other.kvo"));
}

TEST_F(TaskTest, ReadOnlyDestinationIsAnErrorAtStep61AndStaysAsItWas) {
    Source("a.kvo", "new");
    OldDestination("a.kvo", "old");
    ::chmod((R + "a.kvo").c_str(), 0444);
    SeedPending({"a.kvo"});

    EXPECT_FALSE(Run(kTaskReplace, "a.kvo"));
    EXPECT_EQ(Completed().back(), "14:02:11 - Copy/Replace/Delete Error 61 Encountered " + L +
                                      "a.kvo\", \"" + R + "a.kvo\" [" + std::strerror(EACCES) +
                                      "]");
    EXPECT_EQ(ReadFile(R + "a.kvo"), "old");
    EXPECT_TRUE(HiddenNames(R).empty());
    EXPECT_FALSE(Pending("a.kvo"));
}

TEST_F(TaskTest, DeleteThatFailsIsAnErrorAtStep62AndKeepsThePendingName) {
    SeedPending({"missing.kvo"});
    EXPECT_FALSE(Run(kTaskDelete, "missing.kvo"));
    EXPECT_EQ(Completed().back(), "14:02:11 - Copy/Replace/Delete Error 62 Encountered " + L +
                                      "missing.kvo\" [" + std::strerror(ENOENT) + "]");
    EXPECT_TRUE(Pending("missing.kvo"));
}

// The disk refuses one step of a task. Whatever the step, the old destination stays as it
// was, no temporary file is left, and the line says how far the task got.
TEST_F(TaskTest, DiskRefusingAStepLeavesTheOldDestination) {
    struct Case {
        const char* title;
        test::FsCall call;
        std::string path;  // a folder ending in '/': every file in it
        std::string line;  // the completed line after the time stamp
        bool pendingKept;
    };
    const std::string unexpected61 = "Copy/Replace/Delete Error 61 Encountered " + L +
                                     "a.kvo\", \"" + R + "a.kvo\" [" + std::strerror(EIO) + "]";
    const std::vector<Case> cases = {
        {"the copy cannot be flushed", test::FsCall::FlushFileToDisk, R,
         "Copy/Replace failed, unable to copy " + L + "a.kvo to " + R + "a.kvo [" +
             std::strerror(EIO) + "]",
         false},
        {"the copy cannot take the real name", test::FsCall::MoveIntoPlace, R + "a.kvo",
         unexpected61, false},
        {"the copy is refused", test::FsCall::CopyFileChunked, L + "a.kvo",
         "Copy/Replace failed, unable to copy " + L + "a.kvo to " + R + "a.kvo [" +
             std::strerror(EIO) + "]",
         false},
        {"the backup slot cannot be compacted", test::FsCall::RenameNoReplace,
         bak + "Program_Logs/002/a.kvo", "Copy/Replace Canceled, Backup of " + R + "a.kvo Failed",
         true},
    };
    EnableBackups();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        auto disk = std::make_shared<test::FaultyFileSystem>();
        if (c.path.back() == '/') {
            disk->FailInFolder(c.call, c.path);
        } else {
            disk->Fail(c.call, c.path);
        }
        app.ports.fileSystem = disk;
        Source("a.kvo", "new");
        OldDestination("a.kvo", "old");
        // A copy in slot 2 only: the rotation moves it down to slot 1 before backing up.
        test::MakeDirs(bak + "Program_Logs/001");
        WriteFile(bak + "Program_Logs/002/a.kvo", "older");
        SeedPending({"a.kvo"});

        EXPECT_FALSE(Run(kTaskReplace, "a.kvo"));
        EXPECT_EQ(Completed().back(), "14:02:11 - " + c.line);
        EXPECT_EQ(ReadFile(R + "a.kvo"), "old");
        EXPECT_EQ(Mtime(R + "a.kvo"), kOldTime);
        EXPECT_TRUE(HiddenNames(R).empty());
        EXPECT_EQ(Pending("a.kvo"), c.pendingKept);
        std::filesystem::remove_all(bak + "Program_Logs");
    }
}

TEST_F(TaskTest, DeleteTheDiskRefusesIsAnErrorAtStep62AndKeepsFileAndName) {
    auto disk = std::make_shared<test::FaultyFileSystem>();
    disk->Fail(test::FsCall::RemoveFile, L + "d.kvo");
    app.ports.fileSystem = disk;
    Source("d.kvo", "keep");
    SeedPending({"d.kvo"});
    EXPECT_FALSE(Run(kTaskDelete, "d.kvo"));
    EXPECT_EQ(Completed().back(), "14:02:11 - Copy/Replace/Delete Error 62 Encountered " + L +
                                      "d.kvo\" [" + std::strerror(EIO) + "]");
    EXPECT_EQ(ReadFile(L + "d.kvo"), "keep");
    EXPECT_TRUE(Pending("d.kvo"));
}

// A copy that does not complete must neither remove the old destination nor leave the
// name recorded as synced.
TEST_F(TaskTest, FailedCopyKeepsTheOldDestinationAndForgetsTheName) {
    struct Case {
        const char* title;
        bool sourceMissing;
        bool cancelMidway;
        std::string reason;
    } cases[] = {{"vanished source", true, false, std::string(" [") + std::strerror(ENOENT) + "]"},
                 {"cancelled copy", false, true, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        if (!c.sourceMissing) Source("a.kvo", std::string(3 * platform::kCopyChunkBytes, 'n'));
        if (c.cancelMidway) app.ports.yield = [this] { app.state.CopyCancelRequested = 1; };
        OldDestination("a.kvo", "old");
        SeedPending({"a.kvo"});

        EXPECT_FALSE(Run(kTaskReplace, "a.kvo"));
        EXPECT_EQ(Completed().back(), "14:02:11 - Copy/Replace failed, unable to copy " + L +
                                          "a.kvo to " + R + "a.kvo" + c.reason);
        EXPECT_EQ(ReadFile(R + "a.kvo"), "old");
        EXPECT_EQ(Mtime(R + "a.kvo"), kOldTime);
        EXPECT_TRUE(HiddenNames(R).empty());
        EXPECT_FALSE(Pending("a.kvo"));
    }
}

// A child process copies a large file and is killed in the middle of it. The destination
// name must hold the old content (or nothing, for a new file), never a partial copy.
TEST_F(TaskTest, KilledCopyNeverLeavesAPartialFileUnderTheRealName) {
    const std::string content(16 * platform::kCopyChunkBytes, 'N');
    Source("big.wav", content);
    Source("new.wav", content);
    OldDestination("big.wav", "the good old copy");

    for (const char* name : {"big.wav", "new.wav"}) {
        SCOPED_TRACE(name);
        int fds[2];
        ASSERT_EQ(::pipe(fds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(fds[0]);
            TestApp runner{dir / "prog"};
            runner.state.SleepTimeCopy = 50;
            runner.ports.sleep = [](int ms) { ::usleep(static_cast<useconds_t>(ms) * 1000); };
            runner.ports.yield = [&] { (void)!::write(fds[1], "x", 1); };
            std::string line = BuildTaskLine(kTaskReplace, kCategory, name, L, R);
            ExecuteTask(runner.ctx, line);
            ::_exit(0);
        }
        ::close(fds[1]);
        char report;
        for (int chunk = 0; chunk < 4; ++chunk)
            ASSERT_EQ(::read(fds[0], &report, 1), 1);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ::close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the copy finished before the kill";

        if (std::string(name) == "big.wav") {
            const std::string found = ReadFile(R + name);
            EXPECT_TRUE(found == "the good old copy") << found.size() << " bytes under the name";
            EXPECT_EQ(Mtime(R + name), kOldTime);
        } else {
            EXPECT_FALSE(Exists(R + name));
        }
    }
    // The next run completes the copy. The killed copies left only their hidden temporary
    // files, which no listing picks up; they go once old enough (see the test above).
    ASSERT_TRUE(Run(kTaskReplace, "big.wav"));
    EXPECT_TRUE(ReadFile(R + "big.wav") == content);
    const std::vector<std::string> leftovers = HiddenNames(R);
    EXPECT_EQ(leftovers.size(), 2u);
    for (const std::string& name : leftovers)
        EXPECT_EQ(name.rfind(".vfs-", 0), 0u) << name;
}

// --- The tick -----------------------------------------------------------------------------

struct TickTest : TaskTest {
    int dueChecks = 0;
    std::function<void()> dueCheck = [this] { ++dueChecks; };

    std::string Noop(int i) const {
        return "Skip    \"Program Logs\", \"" + L + "n" + std::to_string(i) + "\"";
    }
    void Queue(const std::string& line) {
        app.form.lstTasksToDo.AddItem(line);
        ++app.state.QueuedTaskCount;
    }
};

TEST_F(TickTest, OverallProgressIsTheRoundedShareOfTasksDone) {
    struct Case {
        int queued, remaining, before, shown;
    } cases[] = {
        {3, 3, 50, 1},    {100, 1, 50, 100}, {8, 3, 50, 63},  // 37.5 rounds to 38
        {8, 5, 50, 39},                                       // 62.5 rounds to 62
        {300, 1, 57, 57},                                     // 101 is not applied
        {0, 2, 50, 0},
    };
    for (const Case& c : cases) {
        app.form.lstTasksToDo.Clear();
        for (int i = 0; i < c.remaining; ++i)
            app.form.lstTasksToDo.AddItem(Noop(i));
        app.state.QueuedTaskCount = c.queued;
        app.form.pbOverall.SetValue(c.before);
        tmrMain_Timer(app.ctx, nullptr);
        // The label goes on with the task count (see TransferProgressTest).
        const std::string shown =
            "Overall File Copy/Replace/Delete Progress " + std::to_string(c.shown) + "% - Task ";
        EXPECT_EQ(app.form.lblPbOverall.Caption().substr(0, shown.size()), shown)
            << c.queued << " queued, " << c.remaining << " left";
    }
}

TEST_F(TickTest, RunsOneTaskPerTickThenClosesTheRunAndCommitsItsState) {
    Source("a.kvo", "content");
    SeedPending({"a.kvo"});
    app.form.cmdRun.SetVisible(false);
    app.form.picIconBox.SetVisible(true);
    const std::string copy = BuildTaskLine(kTaskCopy, kCategory, "a.kvo", L, R);
    Queue(Noop(0));
    Queue(copy);
    std::vector<int> barAfterTick;
    dueCheck = [&] {
        ++dueChecks;
        barAfterTick.push_back(app.form.pbOverall.Value());
    };

    tmrMain_Timer(app.ctx, dueCheck);
    EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 1u);
    EXPECT_TRUE(app.form.pbOverall.Visible());
    EXPECT_FALSE(Exists(R + "a.kvo")) << "one task per tick";
    tmrMain_Timer(app.ctx, dueCheck);

    EXPECT_EQ(ReadFile(R + "a.kvo"), "content");
    EXPECT_EQ(Completed(), (std::vector<std::string>{"14:02:11 - " + Noop(0), "14:02:11 - " + copy,
                                                     "14:02:11 - Sync    Finished File Sync"}));
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Finished File Sync");
    EXPECT_EQ(barAfterTick, (std::vector<int>{1, 0}));
    EXPECT_EQ(app.state.QueuedTaskCount, 0);
    EXPECT_FALSE(app.form.pbOverall.Visible());
    EXPECT_FALSE(app.form.pbTask.Visible());
    EXPECT_TRUE(app.form.cmdRun.Visible());
    EXPECT_FALSE(app.form.picIconBox.Visible());
    std::vector<std::string> committed;
    ASSERT_TRUE(LoadStateFile(app.ctx, kCategory, committed, false));
    EXPECT_EQ(committed, (std::vector<std::string>{"a.kvo"}));
    EXPECT_FALSE(FileExists(StateFolder(app.ctx) + "Program_Logs.tmp"));
    EXPECT_FALSE(app.state.RunHadFailure);
}

TEST_F(TickTest, FailedTaskIsDroppedUnloggedAndMarksTheRun) {
    Queue("Copy    \"no separator");
    Queue(Noop(1));
    tmrMain_Timer(app.ctx, dueCheck);
    EXPECT_TRUE(app.state.RunHadFailure);
    EXPECT_EQ(app.form.lstTasksToDo.Items().front(), Noop(1));
    EXPECT_TRUE(Completed().empty());
}

// A share that stops answering is not a change of its files: the first look-up that fails
// so says it, the pair's remaining tasks are left for the next run, and a deletion stays due
// rather than being reverted then. One bad file on a disk that still answers holds back
// nothing else.
TEST_F(TickTest, ShareTroubleLeavesThePairsRemainingTasksForTheNextRun) {
    for (const bool shareDropped : {true, false}) {
        SCOPED_TRACE(shareDropped ? "the share dropped" : "one file fails, the disk answers");
        TempDir run;
        TestApp app{run / "prog"};
        const std::string L = run / "L/";
        const std::string R = run / "R/";
        test::MakeDirs(L);
        test::MakeDirs(R);
        test::MakeDirs(run / "prog");
        auto disk = std::make_shared<test::FaultyFileSystem>();
        app.ports.fileSystem = disk;
        for (const char* name : {"a.kvo", "b.kvo", "c.kvo", "both.kvo"}) {
            WriteFile(L + name, std::string(name).substr(0, 1) + "data");
            SetMtime(L + name, kNewTime);
        }
        WriteFile(R + "both.kvo", "bdata");
        SetMtime(R + "both.kvo", kNewTime);
        WriteFile(R + "gone.kvo", "deleted locally since the last sync");
        SaveStateFile(app.ctx, kCategory, {"both.kvo", "gone.kvo"}, false);
        ScanFolderPair(app.ctx, L, R, "*.kvo", kCategory);
        app.state.QueuedTaskCount = static_cast<int32_t>(app.form.lstTasksToDo.ListCount());
        ASSERT_EQ(app.state.QueuedTaskCount, 4);

        tmrMain_Timer(app.ctx, nullptr);                 // a.kvo is copied
        disk->Fail(test::FsCall::Examine, R + "b.kvo");  // errno EIO, as a dropped share answers
        if (shareDropped) disk->Fail(test::FsCall::FileSystemId, R);
        for (int tick = 0; tick < 3; ++tick)
            tmrMain_Timer(app.ctx, nullptr);

        const std::vector<std::string> lines = app.form.lstCompletedTasks.Items();
        const auto has = [&](const std::string& text) {
            return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
                return l.find(text) != std::string::npos;
            });
        };
        EXPECT_EQ(ReadFile(R + "a.kvo"), "adata");
        EXPECT_FALSE(has("changed after the scan"));
        EXPECT_TRUE(app.state.RunHadFailure);
        std::vector<std::string> committed;
        ASSERT_TRUE(LoadStateFile(app.ctx, kCategory, committed, false));
        if (shareDropped) {
            EXPECT_TRUE(has("Copy/Replace Canceled, share trouble: " + R +
                            " could not be looked up [" + std::strerror(EIO) +
                            "]; the remaining Program Logs tasks are left for the next run"));
            EXPECT_TRUE(
                has("Copy/Replace Canceled, share trouble in Program Logs earlier in this "
                    "run: " +
                    L + "c.kvo left for the next run"));
            EXPECT_TRUE(has("Delete Canceled, share trouble in Program Logs earlier in this run: " +
                            R + "gone.kvo left for the next run"));
            EXPECT_FALSE(Exists(R + "c.kvo"));
            EXPECT_EQ(ReadFile(R + "gone.kvo"), "deleted locally since the last sync");
            // The deletion stays due; the copies not made are decided afresh.
            EXPECT_EQ(committed, (std::vector<std::string>{"a.kvo", "both.kvo", "gone.kvo"}));
        } else {
            EXPECT_TRUE(has("Copy/Replace Canceled, " + R + "b.kvo could not be looked up [" +
                            std::strerror(EIO) + "]"));
            EXPECT_FALSE(has("share trouble"));
            EXPECT_EQ(ReadFile(R + "c.kvo"), "cdata");
            EXPECT_FALSE(Exists(R + "gone.kvo"));
            EXPECT_EQ(committed, (std::vector<std::string>{"a.kvo", "both.kvo", "c.kvo"}));
        }
        // A copy made is recorded with both sides, beside the pair the scan settled.
        const std::string sides = ReadFile(StateFolder(app.ctx) + "/Program_Logs.sides");
        EXPECT_NE(sides.find("a.kvo\x01" + std::to_string(kNewTime) +
                             "\x01"
                             "5\x01" +
                             std::to_string(kNewTime) +
                             "\x01"
                             "5\r\n"),
                  std::string::npos)
            << sides;
        EXPECT_NE(sides.find("both.kvo\x01"), std::string::npos) << sides;
    }
}

// The copy lets the event loop run: should the queue be cleared and filled again meanwhile,
// only the row that ran leaves. A task queued anew is a new row with a view of its own, even
// with the same line; a bare text row can only be told apart by its text.
TEST_F(TickTest, AQueueFilledAgainDuringACopyKeepsItsNewRow) {
    Source("a.kvo", "content");
    FileEntry entry;
    entry.FileName = "a.kvo";
    const std::string line = BuildTaskLine(kTaskCopy, kCategory, "a.kvo", L, R);
    for (const bool composed : {true, false}) {
        SCOPED_TRACE(composed ? "composed rows" : "text rows");
        app.form.lstTasksToDo.Clear();
        app.state.TaskViews.Clear();
        std::filesystem::remove(R + "a.kvo");
        if (composed) {
            QueueTask(app.ctx, kTaskCopy, kCategory, entry, L, R);
        } else {
            Queue(line);
        }
        const std::optional<uint64_t> ran = app.form.lstTasksToDo.ComposedKey(0);
        bool refilled = false;
        app.ports.yield = [&] {
            if (refilled) return;
            refilled = true;
            app.form.lstTasksToDo.Clear();
            if (composed) {
                QueueTask(app.ctx, kTaskCopy, kCategory, entry, L, R);
            } else {
                Queue(Noop(7));
            }
        };
        tmrMain_Timer(app.ctx, dueCheck);
        app.ports.yield = [] {};
        ASSERT_TRUE(refilled);
        EXPECT_EQ(ReadFile(R + "a.kvo"), "content");
        ASSERT_EQ(app.form.lstTasksToDo.ListCount(), 1u);
        if (composed) {
            EXPECT_EQ(app.form.lstTasksToDo.Item(0), line);
            EXPECT_NE(app.form.lstTasksToDo.ComposedKey(0), ran);
            EXPECT_TRUE(TakeTaskView(app.ctx, 0));
        } else {
            EXPECT_EQ(app.form.lstTasksToDo.Item(0), Noop(7));
        }
    }
}

TEST_F(TickTest, GuardsKeepTheQueueButTheClockDueCheckAndIconStillRun) {
    Queue(Noop(0));
    for (int guard = 0; guard < 2; ++guard) {
        app.state.SyncInProgress = guard == 0;
        app.state.CopyInProgress = guard == 1;
        app.clock.second = 30 + guard;
        tmrMain_Timer(app.ctx, dueCheck);
        EXPECT_EQ(app.form.lstTasksToDo.ListCount(), 1u);
        EXPECT_EQ(app.form.lblTime.Caption(), "14:02:" + std::to_string(30 + guard));
    }
    EXPECT_EQ(dueChecks, 2);
    EXPECT_EQ(app.trayRefreshes, 2);
}

}  // namespace
}  // namespace vfs
