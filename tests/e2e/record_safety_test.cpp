// The sync record (state files and pair record) must never say something false: whole
// sync-and-exit runs of the program on real folders, checked through the folders, the
// state files and the exit status.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "e2e/program_runner.h"

namespace vfs::e2e {
namespace {

using test::Exists;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;

struct RecordSafetyTest : PairFolderTest {
    std::string stateFolder = pf.Prog() + "/VarnelFileSyncSettings";

    // Program Logs (*.kvo) synced between L and R.
    void Settings(const std::string& extra = "") const {
        pf.Settings("LogToFile=1\nSleepTimeCopy=0\n" + extra + "[Paths]\nLPLog=" + L +
                    "\nRPLog=" + R + "\n");
    }
    // The committed names of an earlier sync, as the program writes them.
    void Committed(const std::vector<std::string>& names) const {
        std::string text;
        for (const std::string& name : names)
            text += name + "\r\n";
        WriteFile(stateFolder + "/Program_Logs.dat", text);
    }
};

TEST_F(RecordSafetyTest, DeletionOfALateNameInALargeFolderIsCarriedOut) {
    std::vector<std::string> names;
    for (int i = 0; i < 7000; ++i)
        names.push_back("n" + std::to_string(i) + ".kvo");
    names.push_back("keep.kvo");
    Committed(names);
    Write(L + "/n6500.kvo", "late name, deleted on the remote side");
    Write(L + "/keep.kvo", "k");
    Write(R + "/keep.kvo", "k");
    Settings();
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_FALSE(Exists(L + "/n6500.kvo"));
    EXPECT_FALSE(Exists(R + "/n6500.kvo"));
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "keep.kvo\r\n");
}

TEST_F(RecordSafetyTest, NamesWithBlanksAtEitherEndAreTheirOwnFiles) {
    Write(L + "/ show.kvo", "leading blank");
    Write(R + "/ show.kvo", "leading blank");
    Write(L + "/tail.kvo ", "trailing blank");
    Write(R + "/tail.kvo ", "trailing blank");
    Committed({" show.kvo", "tail.kvo "});
    Write(R + "/show.kvo", "a new file, never synced");
    Write(L + "/tail.kvo", "another new file");
    Settings();
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(R + "/show.kvo"), "a new file, never synced");
    EXPECT_EQ(ReadFile(L + "/show.kvo"), "a new file, never synced");
    EXPECT_EQ(ReadFile(R + "/tail.kvo"), "another new file");
    EXPECT_EQ(ReadFile(L + "/ show.kvo"), "leading blank");
    EXPECT_EQ(ReadFile(R + "/tail.kvo "), "trailing blank");
}

TEST_F(RecordSafetyTest, WildcardCharactersAreOrdinaryNameCharacters) {
    const std::string a = pf / "A";
    const std::string b = pf / "B";
    Write(a + "/Why?.mp3", "question");
    Write(a + "/a*b.mp3", "star");
    // A file the pattern "Why?.mp3" would match: it must not pass for the copy's target.
    Write(b + "/Whyy.mp3", "other");
    pf.Settings("SleepTimeCopy=0\n[Paths]\nLAudioPath0=" + a + "\nRAudioPath0=" + b + "\n");
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(b + "/Why?.mp3"), "question");
    EXPECT_EQ(ReadFile(b + "/a*b.mp3"), "star");
    EXPECT_EQ(ReadFile(a + "/Whyy.mp3"), "other");
    EXPECT_EQ(pf.StateFile("Audio_Folder_1.dat"), "a*b.mp3\r\nWhy?.mp3\r\nWhyy.mp3\r\n");
}

TEST_F(RecordSafetyTest, AFailedDeleteIsTriedAgainNotReversed) {
    struct Case {
        const char* label;
        bool backupBlocked;  // the backup of the file cannot be written
        bool readOnly;       // the file itself cannot be removed
    };
    for (const Case c : {Case{"backup failed", true, false}, Case{"removal failed", false, true}}) {
        SCOPED_TRACE(c.label);
        ProgramFolder folder;
        const std::string l = folder / "L";
        const std::string r = folder / "R";
        const std::string bak = folder / "bak";
        Write(l + "/gone.kvo", "deleted on the remote side");
        Write(l + "/keep.kvo", "k");
        Write(r + "/keep.kvo", "k");
        WriteFile(folder.Prog() + "/VarnelFileSyncSettings/Program_Logs.dat",
                  "gone.kvo\r\nkeep.kvo\r\n");
        // The category's backup folder cannot be made where a file holds its name.
        if (c.backupBlocked) WriteFile(bak + "/Program_Logs", "not a folder");
        test::MakeDirs(bak);
        if (c.readOnly) chmod((l + "/gone.kvo").c_str(), 0444);
        const std::string backups = c.backupBlocked ? "EnableFileBackup=True\n" : "";
        folder.Settings("SleepTimeCopy=0\n" + backups + "FileBackupPath=" + bak +
                        "\n[Paths]\nLPLog=" + l + "\nRPLog=" + r + "\n");

        const RunResult failed = folder.Run(kSyncAndExit);
        EXPECT_EQ(failed.status, 1) << failed.err;
        EXPECT_TRUE(Exists(l + "/gone.kvo"));
        EXPECT_FALSE(Exists(r + "/gone.kvo"));

        std::remove((bak + "/Program_Logs").c_str());
        chmod((l + "/gone.kvo").c_str(), 0644);
        const RunResult retried = folder.Run(kSyncAndExit);
        EXPECT_EQ(retried.status, 0) << retried.err;
        EXPECT_TRUE(Contains(retried.out, "Delete  \"Program Logs\", \"" + l + "/gone.kvo\""))
            << retried.out;
        EXPECT_FALSE(Exists(l + "/gone.kvo"));
        EXPECT_FALSE(Exists(r + "/gone.kvo"));
    }
}

TEST_F(RecordSafetyTest, AnEditAfterTheLastSyncBeatsADeletion) {
    Write(L + "/edited.kvo", "v1");
    Write(L + "/untouched.kvo", "u");
    Write(L + "/keep.kvo", "k");
    Settings();
    ASSERT_EQ(pf.Run(kSyncAndExit).status, 0);
    ASSERT_TRUE(Exists(R + "/edited.kvo"));

    // Deleted on the remote side; one of them edited on the local side since that sync.
    std::remove((R + "/edited.kvo").c_str());
    std::remove((R + "/untouched.kvo").c_str());
    Write(L + "/edited.kvo", "v2, edited after the sync", std::time(nullptr) + 2);
    const RunResult run = pf.Run(kSyncAndExit);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(R + "/edited.kvo"), "v2, edited after the sync");
    EXPECT_EQ(ReadFile(L + "/edited.kvo"), "v2, edited after the sync");
    EXPECT_FALSE(Exists(L + "/untouched.kvo"));
    EXPECT_TRUE(Contains(pf.TaskLog(),
                         "Local copy of \"edited.kvo\" needs to be copied to remote "
                         "folder because it was changed after the last sync"));
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "edited.kvo\r\nkeep.kvo\r\n");
}

TEST_F(RecordSafetyTest, OneUnreadableTwinLeavesTheRestOfThePairsRecord) {
    Write(L + "/other.kvo", "o");
    Write(R + "/other.kvo", "o");
    Write(L + "/keep.kvo", "k");
    Write(R + "/keep.kvo", "k");
    Write(L + "/song.kvo", "s");
    ASSERT_EQ(symlink((pf / "nowhere.kvo").c_str(), (R + "/song.kvo").c_str()), 0);
    Committed({"keep.kvo", "other.kvo", "song.kvo"});
    Settings();
    const RunResult first = pf.Run(kSyncAndExit);
    // The link is never listed; the local file whose twin it is becomes the blank entry, and
    // the line names the link.
    EXPECT_TRUE(Contains(first.out, " - Scan    Error analyzing file " + R + "/song.kvo"))
        << first.out;
    EXPECT_EQ(ReadFile(L + "/song.kvo"), "s");

    // A deletion on the remote side after that run is carried out, not reverted.
    std::remove((R + "/other.kvo").c_str());
    const RunResult second = pf.Run(kSyncAndExit);
    EXPECT_FALSE(Exists(L + "/other.kvo")) << second.out;
    EXPECT_FALSE(Exists(R + "/other.kvo"));
}

TEST_F(RecordSafetyTest, AFifoInPlaceOfARecordFileNeitherBlocksNorCounts) {
    test::MakeDirs(stateFolder);
    ASSERT_EQ(mkfifo((stateFolder + "/Program_Logs.dat").c_str(), 0644), 0);
    ASSERT_EQ(mkfifo((stateFolder + "/Program_Logs.pair").c_str(), 0644), 0);
    Write(L + "/a.kvo", "a");
    Settings();
    const RunResult run = pf.Run(kSyncAndExit, 20);
    ASSERT_EQ(run.status, 0) << "the run hung or failed: " << run.out;
    EXPECT_EQ(ReadFile(R + "/a.kvo"), "a");
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "a.kvo\r\n");
}

// The date rule in the hour that the autumn change of daylight-saving time repeats: the
// local file was written at 02:30 summer time, the remote one 40 minutes later at 02:10
// winter time. By the wall clock the local file would look newer.
TEST_F(RecordSafetyTest, TheDateRuleComparesInstantsInTheRepeatedAutumnHour) {
    constexpr int64_t kFirstPass0230 = 1792888200;   // 2026-10-25 00:30 UTC
    constexpr int64_t kSecondPass0210 = 1792890600;  // 2026-10-25 01:10 UTC
    Write(L + "/show.kvo", "older", kFirstPass0230);
    Write(R + "/show.kvo", "newer", kSecondPass0210);
    Committed({"show.kvo"});
    Settings();
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    setenv("TZ", "Europe/Berlin", 1);
    const RunResult run = pf.Run(kSyncAndExit);
    if (saved) {
        setenv("TZ", previous.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(L + "/show.kvo"), "newer");
    EXPECT_EQ(ReadFile(R + "/show.kvo"), "newer");
}

// A size-limited file system mounted for one test; the test skips where mounting is refused.
class Mount {
  public:
    Mount(const std::string& where, const std::string& options) : where_(where) {
        test::MakeDirs(where);
        mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~Mount() { Unmount(); }
    Mount(const Mount&) = delete;
    Mount& operator=(const Mount&) = delete;
    bool mounted() const { return mounted_; }
    void Unmount() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
        mounted_ = false;
    }

  private:
    std::string where_;
    bool mounted_ = false;
};

#define SKIP_UNLESS_MOUNTED(m) \
    if (!(m).mounted())        \
    GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno)

// Fills a file system to its last byte.
void FillUp(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "w");
    if (!f) return;
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), f) == block.size() && std::fflush(f) == 0) {
    }
    std::fclose(f);
    // Whatever a partial block left.
    FILE* g = std::fopen((path + "2").c_str(), "w");
    if (!g) return;
    while (std::fputc('f', g) != EOF && std::fflush(g) == 0) {
    }
    std::fclose(g);
}

TEST_F(RecordSafetyTest, ARecordThatCannotBeWrittenCommitsNothing) {
    const std::string disk = pf / "disk";
    Mount mount(disk, "size=256k");
    SKIP_UNLESS_MOUNTED(mount);
    // The state folder and the remote folder share one small disk.
    test::MakeDirs(disk + "/state");
    ASSERT_EQ(symlink((disk + "/state").c_str(), stateFolder.c_str()), 0);
    const std::string remote = disk + "/R";
    test::MakeDirs(remote);
    Write(L + "/a.kvo", "a");
    pf.Settings("LogToFile=1\nSleepTimeCopy=0\n[Paths]\nLPLog=" + L + "\nRPLog=" + remote + "\n");
    ASSERT_EQ(pf.Run(kSyncAndExit).status, 0);
    ASSERT_EQ(pf.StateFile("Program_Logs.dat"), "a.kvo\r\n");

    Write(L + "/new.kvo", "the only copy");
    FillUp(disk + "/filler");
    const RunResult full = pf.Run(kSyncAndExit);
    EXPECT_EQ(full.status, 1) << full.out;
    EXPECT_TRUE(Contains(full.out,
                         " - Sync    Sync Record Not Saved, Nothing Committed [No space "
                         "left on device]"))
        << full.out;
    EXPECT_TRUE(Contains(pf.TaskLog(), "Sync Record Not Saved, Nothing Committed"));
    EXPECT_EQ(pf.StateFile("Program_Logs.dat"), "a.kvo\r\n");
    EXPECT_FALSE(Exists(stateFolder + "/Program_Logs.tmp"));

    std::remove((disk + "/filler").c_str());
    std::remove((disk + "/filler2").c_str());
    const RunResult freed = pf.Run(kSyncAndExit);
    EXPECT_EQ(freed.status, 0) << freed.out;
    EXPECT_EQ(ReadFile(L + "/new.kvo"), "the only copy");
    EXPECT_EQ(ReadFile(remote + "/new.kvo"), "the only copy");
}

// A share mounted at the remote folder: not mounted at the first sync and mounted later, or
// mounted then and gone since (its bare mount point holding a stray file). Either way the
// previous contents would turn the local files into deletions.
TEST_F(RecordSafetyTest, ASideOnAnotherFileSystemThanAtTheLastSyncStopsThePair) {
    for (const bool mountedFirst : {false, true}) {
        SCOPED_TRACE(mountedFirst ? "unmounted between runs" : "mounted after the first sync");
        ProgramFolder folder;
        const std::string l = folder / "L";
        const std::string share = folder / "share";
        test::MakeDirs(share);
        Mount mount(share, "size=1m");
        SKIP_UNLESS_MOUNTED(mount);
        if (!mountedFirst) mount.Unmount();
        Write(l + "/a.kvo", "a");
        Write(l + "/b.kvo", "b");
        folder.Settings("SleepTimeCopy=0\n[Paths]\nLPLog=" + l + "\nRPLog=" + share + "\n");
        ASSERT_EQ(folder.Run(kSyncAndExit).status, 0);
        ASSERT_TRUE(Exists(share + "/a.kvo"));
        const std::string committed = folder.StateFile("Program_Logs.dat");

        std::optional<Mount> later;
        if (mountedFirst) {
            mount.Unmount();
        } else {
            later.emplace(share, "size=1m");
        }
        Write(share + "/stray.kvo", "s");
        const RunResult run = folder.Run(kSyncAndExit);
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_TRUE(Contains(run.out,
                             " - Scan    Stopped Scanning Program Logs Files: Remote Folder Is On "
                             "Another File System Than At The Last Sync (Remount It Or Choose "
                             "The Path Again)"))
            << run.out;
        EXPECT_EQ(ReadFile(l + "/a.kvo"), "a");
        EXPECT_EQ(ReadFile(l + "/b.kvo"), "b");
        EXPECT_FALSE(Exists(l + "/stray.kvo"));
        EXPECT_EQ(folder.StateFile("Program_Logs.dat"), committed);
    }
}

}  // namespace
}  // namespace vfs::e2e
