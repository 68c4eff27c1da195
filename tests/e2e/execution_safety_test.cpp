// Whole sync-and-exit runs in which the world changes between the scan and the tasks, or in
// which the folders hold what a copy must not read or write through.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::Mtime;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;

constexpr int kFillers = 30;  // at one task per 100 ms tick: three seconds of run
const std::string kRunStarted = " - Sync    Starting File Sync: ";

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

struct ExecutionSafetyTest : PairFolderTest {
    // A pair of Program Logs folders, at the fastest copy speed unless told otherwise.
    void Configure(const std::string& local, const std::string& remote,
                   const std::string& extra = "SleepTimeCopy=0\n") const {
        pf.Settings("LogToFile=1\n" + extra + "[Paths]\nLPLog=" + local + "\nRPLog=" + remote +
                    "\n");
    }
    // Local files sorted ahead of the files a test is about, so the run is still busy
    // with them when the test changes the world.
    void Fillers(const std::string& folder) const {
        for (int i = 0; i < kFillers; ++i) {
            Write(folder + "/a" + std::to_string(100 + i) + ".kvo", "filler", kOld);
        }
    }
    void RecordSynced(const std::string& names) const {
        WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat", names);
        // The record is of these folders.
        WriteFile(pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.pair",
                  L + "/\r\n" + R + "/\r\n");
    }
};

// Edits made after the scan are never overwritten or deleted by its older decisions: a
// newer destination, a file that appeared where a copy was going, a survivor edited after
// its twin was deleted. Each such task is not carried out and says why.
TEST_F(ExecutionSafetyTest, ChangesAfterTheScanStopTheirTasks) {
    Fillers(L);
    Write(L + "/zz_edited.kvo", "local version", kOld + 100);
    Write(R + "/zz_edited.kvo", "remote version", kOld);
    Write(L + "/zz_appeared.kvo", "local file", kOld);
    Write(R + "/zz_survivor.kvo", "survivor", kOld);  // deleted on the local side
    RecordSynced("zz_edited.kvo\r\nzz_survivor.kvo\r\n");
    Configure(L, R);

    Process run = pf.Start(kSyncAndExit);
    ASSERT_TRUE(run.WaitForOutput(kRunStarted));
    Write(R + "/zz_edited.kvo", "newer remote edit", kOld + 200);
    Write(R + "/zz_appeared.kvo", "the operator's new file", kOld + 200);
    Write(R + "/zz_survivor.kvo", "edited after its twin was deleted", kOld + 200);
    EXPECT_EQ(run.Wait(), 1) << run.Err();

    EXPECT_EQ(ReadFile(R + "/zz_edited.kvo"), "newer remote edit");
    EXPECT_EQ(ReadFile(R + "/zz_appeared.kvo"), "the operator's new file");
    EXPECT_EQ(ReadFile(R + "/zz_survivor.kvo"), "edited after its twin was deleted");
    EXPECT_EQ(ReadFile(R + "/a129.kvo"), "filler") << "the other tasks ran";
    for (const char* name : {"zz_edited.kvo", "zz_appeared.kvo", "zz_survivor.kvo"}) {
        const std::string changed = R + "/" + name + " changed after the scan";
        EXPECT_TRUE(Contains(run.Out(), changed)) << run.Out();
        EXPECT_TRUE(Contains(pf.TaskLog(), changed));
        EXPECT_FALSE(Contains(pf.StateFile("Program_Logs.dat"), name)) << "decided afresh";
    }
}

// A task's own name is what leaves the pending state, however deep its folder: a failed
// copy's name must not stay recorded as synced (the next run would delete the only copy).
TEST_F(ExecutionSafetyTest, DeepFolderFailedCopyLeavesNoRecordOfItsName) {
    std::string deep = pf / "deep";
    for (int i = 0; i < 24; ++i)
        deep += "/d" + std::to_string(i);
    const std::string local = deep + "/L";
    const std::string remote = deep + "/R";
    test::MakeDirs(remote);
    Fillers(local);
    Write(local + "/zz_gone.kvo", "taken away during the run", kOld);
    Configure(local, remote);

    Process run = pf.Start(kSyncAndExit);
    ASSERT_TRUE(run.WaitForOutput(kRunStarted));
    ::unlink((local + "/zz_gone.kvo").c_str());
    EXPECT_EQ(run.Wait(), 1) << run.Err();

    EXPECT_TRUE(Contains(pf.StateFile("Program_Logs.dat"), "a129.kvo"));
    EXPECT_FALSE(Contains(pf.StateFile("Program_Logs.dat"), "zz_gone.kvo"));
}

// A source written to while it is copied gives no copy: nothing mixed of two versions stands
// under the real name, and the run says so and fails.
TEST_F(ExecutionSafetyTest, SourceChangedWhileCopiedGivesNoCopy) {
    const std::string big(64 << 20, 'a');
    Write(L + "/big.kvo", big, kOld);
    // The slowest speed pauses after every chunk: the copy takes seconds.
    Configure(L, R, "SleepTimeCopy=40\n");

    Process run = pf.Start(kSyncAndExit);
    ASSERT_TRUE(run.WaitForOutput(kRunStarted));
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    {
        const int fd = ::open((L + "/big.kvo").c_str(), O_WRONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "EDITED", 6, 0), 6);
        ::close(fd);
    }
    EXPECT_EQ(run.Wait(), 1) << run.Err();

    EXPECT_FALSE(Exists(R + "/big.kvo"));
    EXPECT_TRUE(Names(R).empty()) << "no temporary copy stays behind";
    EXPECT_TRUE(
        Contains(run.Out(), L + "/big.kvo changed while it was copied to " + R + "/big.kvo"))
        << run.Out();
}

// A link, FIFO or folder bearing a regular file's name on the other side is neither read
// nor replaced, and the run never blocks on it.
TEST_F(ExecutionSafetyTest, LinkFifoAndFolderTwinsAreNeitherReadNorOverwritten) {
    Write(pf / "secret.txt", "any file of the machine", kOld + 500);
    for (const char* name : {"link.kvo", "fifo.kvo", "folder.kvo"})
        Write(L + "/" + name, std::string("own ") + name, kOld);
    ASSERT_EQ(::symlink((pf / "secret.txt").c_str(), (R + "/link.kvo").c_str()), 0);
    ASSERT_EQ(::mkfifo((R + "/fifo.kvo").c_str(), 0644), 0);
    test::MakeDirs(R + "/folder.kvo");
    Configure(L, R);

    RunResult run = pf.Run(kSyncAndExit, 30);
    ASSERT_NE(run.status, -1) << "the run hung";
    for (const char* name : {"link.kvo", "fifo.kvo", "folder.kvo"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(ReadFile(L + "/" + name), std::string("own ") + name);
        // The line names the side where the odd entry lies.
        EXPECT_TRUE(Contains(run.out, " - Scan    Error analyzing file " + R + "/" + name))
            << run.out;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(R + "/link.kvo"));
    EXPECT_EQ(ReadFile(pf / "secret.txt"), "any file of the machine");
}

// A FIFO in place of a state file is not the program's file: reading it must not block the
// run (a sync-and-exit that never ends holds its lock and stops every later run).
TEST_F(ExecutionSafetyTest, FifoInPlaceOfAStateFileDoesNotHangTheRun) {
    Write(L + "/a.kvo", "alpha", kOld);
    RecordSynced("a.kvo\r\n");  // the record of these folders, then its names replaced
    const std::string state = pf.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat";
    ::unlink(state.c_str());
    ASSERT_EQ(::mkfifo(state.c_str(), 0644), 0);
    Configure(L, R);

    RunResult run = pf.Run(kSyncAndExit, 30);
    ASSERT_NE(run.status, -1) << "the run hung";
    EXPECT_EQ(ReadFile(R + "/a.kvo"), "alpha");
}

// The temporary copy is a short hidden name of ours: an operator's "news.txt.tmp" beside
// "news.txt" syncs like any file, and a name of 255 bytes syncs too.
TEST_F(ExecutionSafetyTest, OperatorsTmpFilesAndLongestNamesSync) {
    const std::string longest = std::string(251, 'n') + ".txt";
    Write(L + "/news.txt", "news", kOld);
    Write(L + "/news.txt.tmp", "the operator's draft", kOld);
    Write(R + "/" + longest, "long", kOld);
    pf.Settings("ExtendedFolders=True\nSleepTimeCopy=0\n[Paths]\nLText=" + L + "\nRText=" + R +
                "\n");

    RunResult run = pf.Run(kSyncAndExit);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(ReadFile(R + "/news.txt"), "news");
    EXPECT_EQ(ReadFile(R + "/news.txt.tmp"), "the operator's draft");
    EXPECT_EQ(ReadFile(L + "/news.txt.tmp"), "the operator's draft");
    EXPECT_EQ(ReadFile(L + "/" + longest), "long");
    EXPECT_EQ(Mtime(L + "/" + longest), kOld);
}

// Holes stay holes: a 3 GiB sparse recording does not take 3 GiB at the destination.
TEST_F(ExecutionSafetyTest, SparseRecordingStaysSparse) {
    const off_t size = off_t{3} << 30;
    {
        const int fd = ::open((L + "/silence.kvo").c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::pwrite(fd, "head", 4, 0), 4);
        ASSERT_EQ(::pwrite(fd, "tail", 4, size - 4), 4);
        ::close(fd);
    }
    SetMtime(L + "/silence.kvo", kOld);
    struct stat src {};
    ASSERT_EQ(::stat((L + "/silence.kvo").c_str(), &src), 0);
    if (src.st_blocks * 512 >= src.st_size) GTEST_SKIP() << "no sparse files on this disk";
    Configure(L, R);

    RunResult run = pf.Run(kSyncAndExit, 120);
    ASSERT_EQ(run.status, 0) << run.out;
    struct stat dst {};
    ASSERT_EQ(::stat((R + "/silence.kvo").c_str(), &dst), 0);
    EXPECT_EQ(dst.st_size, size);
    EXPECT_LE(dst.st_blocks, src.st_blocks + 64) << "holes were filled in";
    EXPECT_EQ(Mtime(R + "/silence.kvo"), kOld);
}

// A copy carries the source's exact instant, also for a file written in the hour that the
// clocks repeat in autumn: never shifted by an hour, not even rounded to the second.
TEST_F(ExecutionSafetyTest, CopyKeepsTheExactInstantInTheRepeatedAutumnHour) {
    // 2020-10-25 02:30 local time in central Europe, the second time round (01:30 UTC).
    const timespec when = {1603589400, 123456789};
    WriteFile(L + "/night.kvo", "recorded at night");
    const timespec times[2] = {{0, UTIME_OMIT}, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, (L + "/night.kvo").c_str(), times, 0), 0);
    Configure(L, R);

    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    ::setenv("TZ", "Europe/Berlin", 1);
    RunResult run = pf.Run(kSyncAndExit);
    if (before) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ASSERT_EQ(run.status, 0) << run.out;
    struct stat st {};
    ASSERT_EQ(::stat((R + "/night.kvo").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, when.tv_sec);
    EXPECT_EQ(st.st_mtim.tv_nsec, when.tv_nsec);
}

// A share mounted at the remote folder goes away during the run: its bare mount point is
// another file system, and no copy may land there (it would be lost when the share is
// mounted again, and the next run would delete the originals).
TEST_F(ExecutionSafetyTest, ShareUnmountedDuringARunTakesNoCopy) {
    if (::mount("tmpfs", R.c_str(), "tmpfs", 0, "size=64m") != 0) {
        GTEST_SKIP() << "cannot mount a tmpfs here (" << std::strerror(errno)
                     << "); needs root in a namespace that allows mounts";
    }
    Fillers(L);
    Configure(L, R);

    Process run = pf.Start(kSyncAndExit);
    const bool started = run.WaitForOutput(" - Copy    \"Program Logs\", \"" + L + "/a102.kvo");
    const int unmounted = ::umount2(R.c_str(), MNT_DETACH);
    ASSERT_TRUE(started) << run.Out();
    ASSERT_EQ(unmounted, 0) << std::strerror(errno);
    EXPECT_EQ(run.Wait(), 1) << run.Err();

    EXPECT_TRUE(Names(R).empty()) << "copies landed in the bare mount point";
    EXPECT_TRUE(Contains(run.Out(), R + "/ is no longer on the file system it was on at the scan"))
        << run.Out();
    EXPECT_FALSE(Contains(pf.StateFile("Program_Logs.dat"), "a129.kvo"));
}

}  // namespace
}  // namespace vfs::e2e
