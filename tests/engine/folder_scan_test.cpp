#include "engine/folder_scan.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/state_files.h"
#include "engine/task_execution.h"
#include "engine/task_line.h"
#include "platform/folder_traits.h"
#include "support/faulty_file_system.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::SetMtime;
using test::WriteFile;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

constexpr int64_t kBaseTime = 1780000000;  // some day in 2026

// prefix + number + ".kvo", built step by step (GCC 12 warns wrongly on a chain of +).
std::string Numbered(const char* prefix, int number) {
    std::string name = prefix;
    name += std::to_string(number);
    name += ".kvo";
    return name;
}

class FolderScanTest : public ::testing::Test {
  protected:
    FolderScanTest() : app(tmp / "prog") {
        test::MakeDirs(local);
        test::MakeDirs(remote);
        test::MakeDirs(tmp / "prog");
    }

    // A file on one side with the given modification time.
    void Put(const std::string& folder, const std::string& name, int64_t mtime = kBaseTime) {
        WriteFile(folder + "/" + name, "data of " + name);
        SetMtime(folder + "/" + name, mtime);
    }
    void PutBoth(const std::string& name, int64_t localTime = kBaseTime,
                 int64_t remoteTime = kBaseTime) {
        Put(local, name, localTime);
        Put(remote, name, remoteTime);
    }

    std::string StateFile(const std::string& ext) const {
        return tmp / ("prog/VarnelFileSyncSettings/" + base + ext);
    }
    void Commit(const std::string& content) { WriteFile(StateFile(".dat"), content); }

    // From now on the scan sees a disk on which that call fails on that path.
    void FailOnDisk(test::FsCall call, const std::string& path) {
        if (!faultyDisk) {
            faultyDisk = std::make_shared<test::FaultyFileSystem>();
            app.ports.fileSystem = faultyDisk;
        }
        faultyDisk->Fail(call, path);
    }

    void Scan(const std::string& pattern = "*.kvo") {
        ScanFolderPair(app.ctx, local, remote, pattern, category);
    }

    std::vector<std::string> Tasks() const {
        const auto& items = app.form.lstTasksToDo.Items();
        return {items.begin(), items.end()};
    }
    std::vector<std::string> Completed() const {
        const auto& items = app.form.lstCompletedTasks.Items();
        return {items.begin(), items.end()};
    }
    std::string TaskLog() const {
        return ReadFile(tmp / "prog/VarnelFileSync Logs/Task_Log_12052026.txt");
    }

    std::string Copy(const std::string& from, const std::string& to, const std::string& name) {
        return "Copy    \"" + category + "\", \"" + from + "/" + name + "\", \"" + to + "/" + name +
               "\"";
    }
    std::string Replace(const std::string& from, const std::string& to, const std::string& name) {
        return "Replace \"" + category + "\", \"" + from + "/" + name + "\", \"" + to + "/" + name +
               "\"";
    }
    std::string Delete(const std::string& in, const std::string& name) {
        return "Delete  \"" + category + "\", \"" + in + "/" + name + "\"";
    }

    test::TempDir tmp;
    test::TestApp app;
    std::shared_ptr<test::FaultyFileSystem> faultyDisk;
    std::string local = tmp / "L";
    std::string remote = tmp / "R";
    std::string category = "Program Logs";
    std::string base = "Program_Logs";
};

TEST_F(FolderScanTest, ThreeWayComparisonCoversEveryRowOfBothTables) {
    PutBoth("both.kvo");
    Put(local, "goneRemote.kvo");  // synced before, deleted on the remote side since
    Put(local, "newLocal.kvo");
    Put(remote, "goneLocal.kvo");  // synced before, deleted on the local side since
    Put(remote, "newRemote.kvo");
    Commit("both.kvo\r\ngoneRemote.kvo\r\ngoneLocal.kvo\r\n");
    app.form.chkLogToFile.SetValue(1);

    Scan();

    EXPECT_THAT(Tasks(),
                ElementsAre(Delete(local, "goneRemote.kvo"), Copy(local, remote, "newLocal.kvo"),
                            Delete(remote, "goneLocal.kvo"), Copy(remote, local, "newRemote.kvo")));
    EXPECT_EQ(app.state.QueuedTaskCount, 4);
    // The names both sides will hold once the tasks have run; the committed file stays
    // until the run commits.
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "both.kvo\r\nnewLocal.kvo\r\nnewRemote.kvo\r\n");
    EXPECT_EQ(ReadFile(StateFile(".dat")), "both.kvo\r\ngoneRemote.kvo\r\ngoneLocal.kvo\r\n");

    const std::string t = "14:02:11 -         ";
    EXPECT_EQ(TaskLog(),
              "14:02:11 - Scan    Started Scanning Program Logs\r\n" + t +
                  "Local copy of \"goneRemote.kvo\" needs to be deleted because it doesn't exist "
                  "in remote folder any longer\r\n" +
                  t +
                  "Local copy of \"newLocal.kvo\" needs to be copied to remote folder because it "
                  "doesn't exist in remote folder and has not been synced previously\r\n" +
                  t +
                  "Remote copy of \"goneLocal.kvo\" needs to be deleted because it doesn't exist "
                  "in local folder any longer\r\n" +
                  t +
                  "Remote copy of \"newRemote.kvo\" needs to be copied to local folder because it "
                  "doesn't exist in local folder and has not been synced previously\r\n"
                  "14:02:11 - Scan    Finished Scanning Program Logs\r\n");
    // Decision lines go to the file only.
    EXPECT_THAT(Completed(), ElementsAre("14:02:11 - Scan    Started Scanning Program Logs",
                                         "14:02:11 - Scan    Finished Scanning Program Logs"));
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Done Scanning Program Logs");
    EXPECT_EQ(app.form.lblPbTask.Caption(), "Program Logs Scan Progress 100%");
    EXPECT_FALSE(app.state.RunHadFailure);
}

TEST_F(FolderScanTest, DecisionLinesNeedTheLogToFileBoxButTasksDoNot) {
    Put(local, "a.kvo");
    Scan();
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "a.kvo")));
    EXPECT_FALSE(Exists(tmp / "prog/VarnelFileSync Logs"));
}

// Without usable previous contents nothing is ever deleted: one-sided files are copied.
TEST_F(FolderScanTest, WithoutPreviousContentsOneSidedFilesAreCopied) {
    struct Case {
        const char* what;
        bool firstRun;
        int16_t abnormal;
        bool committedFile;
        bool emptyCommitted;
    };
    for (const Case& c :
         {Case{"first sync, no state file", false, 0, false, false},
          Case{"first run", true, 0, true, false}, Case{"abnormal shutdown", false, 1, true, false},
          Case{"empty committed file", false, 0, true, true}}) {
        SCOPED_TRACE(c.what);
        test::TempDir dir;
        test::TestApp a(dir / "prog");
        a.state.FirstRun = c.firstRun;
        a.state.Abnormal = c.abnormal;
        const std::string l = dir / "L", r = dir / "R";
        WriteFile(l + "/x.kvo", "x");
        WriteFile(r + "/y.kvo", "y");
        const std::string dat = dir / "prog/VarnelFileSyncSettings/Program_Logs.dat";
        if (c.committedFile) WriteFile(dat, c.emptyCommitted ? "" : "x.kvo\r\ny.kvo\r\n");

        ScanFolderPair(a.ctx, l, r, "*.kvo", category);

        const auto& items = a.form.lstTasksToDo.Items();
        EXPECT_THAT(
            std::vector<std::string>(items.begin(), items.end()),
            ElementsAre("Copy    \"Program Logs\", \"" + l + "/x.kvo\", \"" + r + "/x.kvo\"",
                        "Copy    \"Program Logs\", \"" + r + "/y.kvo\", \"" + l + "/y.kvo\""));
        // The committed file is replaced only when the run commits.
        EXPECT_EQ(Exists(dat), c.committedFile);
        EXPECT_EQ(ReadFile(dir / "prog/VarnelFileSyncSettings/Program_Logs.tmp"),
                  "x.kvo\r\ny.kvo\r\n");
    }
}

TEST_F(FolderScanTest, DateRuleToleratesOnlyALaterRemoteCopy) {
    // Remote time minus local time, in seconds.
    PutBoth("a_same.kvo", kBaseTime, kBaseTime);
    PutBoth("b_plus5.kvo", kBaseTime, kBaseTime + 5);
    PutBoth("c_plus8.kvo", kBaseTime, kBaseTime + 8);
    PutBoth("d_plus9.kvo", kBaseTime, kBaseTime + 9);
    PutBoth("e_minus1.kvo", kBaseTime, kBaseTime - 1);
    PutBoth("f_days_later.kvo", kBaseTime, kBaseTime + 3 * 86400);
    Commit("a_same.kvo\r\n");  // being in the previous contents or not changes nothing here

    Scan();

    EXPECT_THAT(Tasks(), ElementsAre(Replace(remote, local, "d_plus9.kvo"),
                                     Replace(local, remote, "e_minus1.kvo"),
                                     Replace(remote, local, "f_days_later.kvo")));
    EXPECT_EQ(ReadFile(StateFile(".tmp")),
              "a_same.kvo\r\nb_plus5.kvo\r\nc_plus8.kvo\r\nd_plus9.kvo\r\ne_minus1.kvo\r\n"
              "f_days_later.kvo\r\n");
}

TEST_F(FolderScanTest, DateRuleLinesNameTheCopyToBeReplaced) {
    PutBoth("late.kvo", kBaseTime, kBaseTime + 60);
    PutBoth("early.kvo", kBaseTime, kBaseTime - 60);
    app.form.chkLogToFile.SetValue(1);
    Scan();
    EXPECT_THAT(TaskLog(), HasSubstr("14:02:11 -         Remote copy of \"early.kvo\" needs to be "
                                     "replaced since local copy is newer\r\n"));
    EXPECT_THAT(TaskLog(), HasSubstr("14:02:11 -         Local copy of \"late.kvo\" needs to be "
                                     "replaced since remote copy is newer\r\n"));
}

TEST_F(FolderScanTest, RemoteTimeIsReadAgainWhenComparing) {
    PutBoth("a.kvo");
    // The remote copy changes after it was listed, while the window handles events.
    app.ports.yield = [&] {
        if (app.form.lblStatus.Caption().find("Comparing") != std::string::npos) {
            SetMtime(remote + "/a.kvo", kBaseTime + 60);
        }
    };
    Scan();
    EXPECT_THAT(Tasks(), ElementsAre(Replace(remote, local, "a.kvo")));
}

// The remote time is read again when comparing; a file that has gone by then makes a blank
// entry for its name alone: the rest of the pair is compared and saved, and the name stays
// recorded as the last sync left it, so a deletion made meanwhile is not reverted later.
TEST_F(FolderScanTest, RemoteFileVanishingBeforeComparisonIsABlankEntryForItAlone) {
    Put(local, "a_new.kvo");
    PutBoth("b.kvo");
    PutBoth("c.kvo", kBaseTime + 60, kBaseTime);
    Commit("b.kvo\r\nc.kvo\r\n");
    app.ports.yield = [&] {
        if (app.form.lblStatus.Caption().find("Comparing") != std::string::npos) {
            std::remove((remote + "/b.kvo").c_str());
        }
    };

    Scan();

    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Done Scanning Program Logs");
    EXPECT_THAT(Completed(),
                testing::Contains("14:02:11 - Scan    Error analyzing file " + remote + "/b.kvo"));
    EXPECT_THAT(Tasks(),
                ElementsAre(Copy(local, remote, "a_new.kvo"), Replace(local, remote, "c.kvo")));
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "a_new.kvo\r\nc.kvo\r\nb.kvo\r\n");
    EXPECT_EQ(ReadFile(StateFile(".dat")), "b.kvo\r\nc.kvo\r\n");
    EXPECT_FALSE(app.state.RunHadFailure);
}

TEST_F(FolderScanTest, FileVanishingWhileListedBecomesABlankEntry) {
    Put(local, "a.kvo");
    Put(local, "b.kvo");
    Put(local, "c.kvo");
    // Listed, but gone when its time and size are read.
    FailOnDisk(test::FsCall::Info, local + "/b.kvo");

    Scan();

    EXPECT_THAT(Completed(),
                testing::Contains("14:02:11 - Scan    Error analyzing file " + local + "/b.kvo"));
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "a.kvo"), Copy(local, remote, "c.kvo")));
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "a.kvo\r\nc.kvo\r\n");
    // No pause for the blank entry, neither when reading nor when comparing.
    EXPECT_EQ(app.sleeps.size(), 4u);
}

TEST_F(FolderScanTest, MissingFolderStopsThePairWithoutTouchingItsState) {
    for (bool localMissing : {true, false}) {
        SCOPED_TRACE(localMissing ? "local missing" : "remote missing");
        test::TempDir dir;
        test::TestApp a(dir / "prog");
        const std::string l = dir / "L", r = dir / "R";
        test::MakeDirs(localMissing ? r : l);
        WriteFile((localMissing ? r : l) + "/a.kvo", "a");
        const std::string state = dir / "prog/VarnelFileSyncSettings/Program_Logs.";
        WriteFile(state + "dat", "a.kvo\r\n");
        WriteFile(state + "tmp", "old\r\n");

        ScanFolderPair(a.ctx, l, r, "*.kvo", category);

        EXPECT_THAT(a.form.lstCompletedTasks.Items(),
                    ElementsAre("14:02:11 - Scan    Started Scanning Program Logs",
                                std::string("14:02:11 - Scan    Stopped Scanning Program Logs "
                                            "Files: Invalid ") +
                                    (localMissing ? "Local" : "Remote") + " Path"));
        EXPECT_EQ(a.form.lblStatus.Caption(), "14:02:11 - Scanning Program Logs Files...");
        EXPECT_EQ(a.form.pbTask.Value(), 1);
        EXPECT_EQ(a.form.lblPbTask.Caption(), "Program Logs Scan Progress 1%");
        EXPECT_THAT(a.form.lstTasksToDo.Items(), IsEmpty());
        EXPECT_EQ(ReadFile(state + "dat"), "a.kvo\r\n");
        EXPECT_EQ(ReadFile(state + "tmp"), "old\r\n");
    }
}

// An unmounted share is an empty folder; it must not turn the other side into deletions.
TEST_F(FolderScanTest, EmptySideNeverEmptiesAFullSide) {
    for (bool localEmptied : {true, false}) {
        SCOPED_TRACE(localEmptied ? "local emptied" : "remote emptied");
        test::TempDir dir;
        test::TestApp a(dir / "prog");
        const std::string l = dir / "L", r = dir / "R";
        test::MakeDirs(l);
        test::MakeDirs(r);
        const std::string full = localEmptied ? r : l;
        for (const char* name : {"a.kvo", "b.kvo"})
            WriteFile(full + "/" + name, "x");
        const std::string state = dir / "prog/VarnelFileSyncSettings/Program_Logs.";
        WriteFile(state + "dat", "a.kvo\r\nb.kvo\r\n");
        WriteFile(state + "tmp", "left over\r\n");
        a.form.chkLogToFile.SetValue(1);

        ScanFolderPair(a.ctx, l, r, "*.kvo", category);

        const std::string message = std::string("Stopped Scanning Program Logs Files: ") +
                                    (localEmptied ? "Local" : "Remote") + " Folder Is Empty";
        EXPECT_THAT(a.form.lstTasksToDo.Items(), IsEmpty());
        EXPECT_EQ(a.state.QueuedTaskCount, 0);
        EXPECT_EQ(ReadFile(state + "dat"), "a.kvo\r\nb.kvo\r\n");
        EXPECT_EQ(ReadFile(state + "tmp"), "left over\r\n");
        EXPECT_EQ(a.form.lblStatus.Caption(), "14:02:11 - " + message);
        EXPECT_EQ(a.form.lstCompletedTasks.Items().back(), "14:02:11 - Scan    " + message);
        const std::string log = ReadFile(dir / "prog/VarnelFileSync Logs/Task_Log_12052026.txt");
        EXPECT_THAT(log, HasSubstr("14:02:11 - Scan    " + message + "\r\n"));
        EXPECT_THAT(log, Not(HasSubstr("needs to be deleted")));
        EXPECT_TRUE(a.state.RunHadFailure);
    }
}

TEST_F(FolderScanTest, SideWithOneFileLeftStillPropagatesDeletions) {
    // Since the last sync the local side lost c.kvo and the remote side a.kvo and b.kvo.
    Commit("a.kvo\r\nb.kvo\r\nc.kvo\r\n");
    Put(local, "a.kvo");
    Put(local, "b.kvo");
    Put(remote, "c.kvo");
    Scan();
    EXPECT_THAT(Tasks(), ElementsAre(Delete(local, "a.kvo"), Delete(local, "b.kvo"),
                                     Delete(remote, "c.kvo")));
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "\r\n");
    EXPECT_FALSE(app.state.RunHadFailure);
}

TEST_F(FolderScanTest, BothFoldersEmptySaveAnEmptyList) {
    Scan();
    EXPECT_THAT(Tasks(), IsEmpty());
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "\r\n");
    EXPECT_EQ(app.form.pbTask.Value(), 100);
    EXPECT_EQ(app.form.lblStatus.Caption(), "14:02:11 - Done Scanning Program Logs");
}

TEST_F(FolderScanTest, NamesCompareWithCase) {
    // Two names that differ in case are two files on this file system, also where the
    // case-blind listing order puts them next to each other on both sides.
    Put(local, "A.KVO");
    Put(remote, "a.kvo");
    Put(local, "b.kvo");
    Put(remote, "B.kvo");
    PutBoth("c.kvo");
    // The previous contents hold Spot.kvo; spot.kvo is another name, so it is copied.
    Put(local, "spot.kvo");
    Commit("Spot.kvo\r\n");
    Scan();
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "A.KVO"), Copy(local, remote, "b.kvo"),
                                     Copy(local, remote, "spot.kvo"), Copy(remote, local, "a.kvo"),
                                     Copy(remote, local, "B.kvo")));
}

TEST_F(FolderScanTest, AudioPatternListsOnlyVisibleAudioFiles) {
    category = "Audio Folder 3";
    for (const char* name : {"b.WAV", "a.krt", "c.mp3", "D.mp2", "notes.txt", ".hidden.wav"}) {
        Put(local, name);
    }
    test::MakeDirs(local + "/folder.wav");
    ASSERT_EQ(::symlink((local + "/a.krt").c_str(), (local + "/link.wav").c_str()), 0);
    ASSERT_EQ(::mkfifo((local + "/pipe.mp3").c_str(), 0600), 0);

    Scan("*.krt;*.wav;*.mp3;*.mp2");

    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "a.krt"), Copy(local, remote, "b.WAV"),
                                     Copy(local, remote, "c.mp3"), Copy(local, remote, "D.mp2")));
    EXPECT_TRUE(Exists(tmp / "prog/VarnelFileSyncSettings/Audio_Folder_3.tmp"));
}

TEST_F(FolderScanTest, NamesTheTaskFormatCannotCarryAreNeverSynced) {
    Put(local, "good.kvo");
    for (const std::string& name : std::vector<std::string>{
             "quote\".kvo", "line\nfeed.kvo", "carriage\rreturn.kvo", "bell\x07.kvo"}) {
        Put(local, name);
    }
    app.form.chkLogToFile.SetValue(1);

    Scan();

    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "good.kvo")));
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "good.kvo\r\n");
    for (const std::string shown :
         {"quote\".kvo", "line?feed.kvo", "carriage?return.kvo", "bell?.kvo"}) {
        const std::string line = "14:02:11 - Scan    Error analyzing file " + local + "/" + shown;
        EXPECT_THAT(Completed(), testing::Contains(line));
        EXPECT_THAT(TaskLog(), HasSubstr(line + "\r\n"));
    }
}

// A copy in flight, or one a crash left behind, is a hidden name and never listed; an
// operator's "<name>.tmp" beside "<name>" is an ordinary file and syncs like any other.
TEST_F(FolderScanTest, HiddenTemporaryCopiesAreLeftOutAndAnOperatorsTmpFileSyncs) {
    category = "Text Files";
    PutBoth("notes.txt");
    Put(local, "notes.txt.tmp");
    Put(remote, ".vfs-0123456789ab");

    Scan("*.*");

    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "notes.txt.tmp")));
    EXPECT_EQ(ReadFile(tmp / "prog/VarnelFileSyncSettings/Text_Files.tmp"),
              "notes.txt\r\nnotes.txt.tmp\r\n");
}

TEST_F(FolderScanTest, ProgressClockYieldsAndPausesFollowTheFiles) {
    for (int i = 1; i <= 40; ++i)
        Put(local, Numbered("l", 100 + i));
    for (int i = 1; i <= 20; ++i)
        Put(remote, Numbered("r", 100 + i));
    std::vector<int> progress;
    app.form.notifier.listener = [&](const std::string& control) {
        if (control == "pbTask") progress.push_back(app.form.pbTask.Value());
    };
    app.clock.second = 59;  // lblTime shows the clock only from the 20th file on

    Scan();

    for (int fixed : {1, 3, 5, 20, 30, 32, 34, 65, 95, 96, 98, 100}) {
        EXPECT_THAT(progress, testing::Contains(fixed)) << fixed;
    }
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    // Files 20 and 40 of each local pass, file 20 of each remote pass.
    EXPECT_EQ(app.trayRefreshes, 6);
    EXPECT_EQ(app.form.lblTime.Caption(), "14:02:59");
    // One yield and one pause per file in each of the four passes.
    EXPECT_EQ(app.yields, 120);
    EXPECT_EQ(app.sleeps, std::vector<int>(120, 6));
}

TEST_F(FolderScanTest, ClockIsNotShownBeforeThe20thFile) {
    for (int i = 1; i <= 19; ++i)
        Put(local, Numbered("f", 100 + i));
    app.state.SleepTimeSync = 0;
    app.clock.second = 59;
    const std::string clockBefore = app.form.lblTime.Caption();
    Scan();
    EXPECT_EQ(app.trayRefreshes, 0);
    EXPECT_EQ(app.form.lblTime.Caption(), clockBefore);
    EXPECT_THAT(app.sleeps, IsEmpty());
}

TEST_F(FolderScanTest, PathWithTrailingSeparatorGivesOneSeparator) {
    Put(local, "a.kvo");
    ScanFolderPair(app.ctx, local + "/", remote + "/", "", category);
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "a.kvo")));
}

// The state files hold names only. When a pair's folders are changed in the settings, the
// old pair's names must not turn the files missing from the new folder into deletions.
TEST_F(FolderScanTest, StateOfOtherFoldersIsNotUsedAfterThePairWasChanged) {
    PutBoth("a.kvo");
    PutBoth("b.kvo");
    Scan();
    CommitStateFiles(app.ctx);
    const std::string other = tmp / "R2";
    Put(other, "a.kvo");
    app.form.lstTasksToDo.Clear();

    ScanFolderPair(app.ctx, local, other, "*.kvo", category);
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, other, "b.kvo")));

    // Once that run is done the state belongs to the new pair, whose record now names the
    // new folder: b.kvo missing there (copied, then deleted) is deleted locally too.
    CommitStateFiles(app.ctx);
    app.form.lstTasksToDo.Clear();
    ScanFolderPair(app.ctx, local, other, "*.kvo", category);
    EXPECT_THAT(Tasks(), ElementsAre(Delete(local, "b.kvo")));
}

// The view filed with each task is what the scan read while deciding on it: the check
// before the task runs compares the disk with that.
TEST_F(FolderScanTest, TaskViewsHoldWhatTheScanReadOfEachFile) {
    PutBoth("both.kvo", kBaseTime, kBaseTime + 60);
    Put(local, "new.kvo", kBaseTime + 5);

    Scan();

    ASSERT_THAT(Tasks(),
                ElementsAre(Replace(remote, local, "both.kvo"), Copy(local, remote, "new.kvo")));
    struct stat localDisk {};
    ASSERT_EQ(::stat((local + "/both.kvo").c_str(), &localDisk), 0);
    const std::optional<TaskView> replace = TakeTaskView(app.ctx, 0);
    ASSERT_TRUE(replace && replace->first && replace->second);
    EXPECT_EQ(replace->first->modifiedSeconds, kBaseTime + 60);  // the remote copy
    EXPECT_EQ(replace->second->modifiedSeconds, kBaseTime);
    EXPECT_EQ(replace->second->changedSeconds, localDisk.st_ctim.tv_sec);
    EXPECT_EQ(replace->second->size, localDisk.st_size);
    EXPECT_TRUE(replace->first->regular && replace->second->regular);
    EXPECT_EQ(replace->firstFileSystem, platform::FileSystemId(remote));
    EXPECT_EQ(replace->secondFileSystem, platform::FileSystemId(local));

    const std::optional<TaskView> copy = TakeTaskView(app.ctx, 1);
    ASSERT_TRUE(copy && copy->first && copy->second);
    EXPECT_EQ(copy->first->modifiedSeconds, kBaseTime + 5);
    EXPECT_EQ(copy->first->size, static_cast<int64_t>(std::string("data of new.kvo").size()));
    EXPECT_FALSE(copy->second->exists);
}

// A remote side whose files cannot be looked up (a share that dropped, access refused) must
// not count as a side where the files are missing: that would delete the local copies.
TEST_F(FolderScanTest, FailedLookupOnTheOtherSideIsNotTakenForADeletion) {
    PutBoth("a.kvo");
    Put(local, "b.kvo");
    Commit("a.kvo\r\nb.kvo\r\n");
    // The remote folder lists a.kvo, which then can be neither looked up nor read; b.kvo,
    // which it does not list, cannot be looked up there either (the share dropped).
    FailOnDisk(test::FsCall::Lookup, remote + "/a.kvo");
    FailOnDisk(test::FsCall::Info, remote + "/a.kvo");
    FailOnDisk(test::FsCall::Lookup, remote + "/b.kvo");

    Scan();

    EXPECT_THAT(Tasks(), IsEmpty());
    EXPECT_THAT(Completed(),
                testing::Contains("14:02:11 - Scan    Error analyzing file " + remote + "/a.kvo"));
    // The line names the side whose look-up failed.
    EXPECT_THAT(Completed(),
                testing::Contains("14:02:11 - Scan    Error analyzing file " + remote + "/b.kvo"));
}

// Each side's time and size at the last sync decide which side changed; the two clocks
// decide only between two changed sides.
TEST_F(FolderScanTest, TheSideThatChangedSinceTheLastSyncWinsWhateverTheClocksSay) {
    const int64_t size = static_cast<int64_t>(std::string("data of a.kvo").size());
    struct Case {
        const char* label;
        int64_t localNow, remoteNow;        // the files' times now
        int64_t localThen, remoteThen;      // the times recorded at the last sync
        std::vector<std::string> expected;  // the tasks
        const char* why;                    // a part of the decision line
    };
    const std::string toLocal = Replace(remote, local, "a.kvo");
    const std::string toRemote = Replace(local, remote, "a.kvo");
    const Case cases[] = {
        {"a remote edit stamped earlier than the unchanged local copy",
         kBaseTime,
         kBaseTime - 1,
         kBaseTime,
         kBaseTime - 30,
         {toLocal},
         "only the remote copy changed"},
        {"a local edit stamped earlier than the unchanged remote copy",
         kBaseTime - 9,
         kBaseTime,
         kBaseTime - 60,
         kBaseTime,
         {toRemote},
         "only the local copy changed"},
        {"a copy held in 2-second steps, unchanged",
         kBaseTime + 1,
         kBaseTime,
         kBaseTime + 1,
         kBaseTime,
         {},
         nullptr},
        {"a copy stamped by a server clock ahead, unchanged",
         kBaseTime,
         kBaseTime + 300,
         kBaseTime,
         kBaseTime + 300,
         {},
         nullptr},
        {"both changed: the newer wins",
         kBaseTime + 10,
         kBaseTime + 20,
         kBaseTime,
         kBaseTime,
         {toLocal},
         "changed on both sides since the last sync; the newer remote copy wins"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        app.form.lstTasksToDo.Clear();
        app.form.lstCompletedTasks.Clear();
        app.form.chkLogToFile.SetValue(1);
        std::remove(StateFile(".sides-new").c_str());
        PutBoth("a.kvo", c.localNow, c.remoteNow);
        Commit("a.kvo\r\n");
        WriteFile(StateFile(".sides"), "a.kvo\x01" + std::to_string(c.localThen) + "\x01" +
                                           std::to_string(size) + "\x01" +
                                           std::to_string(c.remoteThen) + "\x01" +
                                           std::to_string(size) + "\r\n");
        Scan();
        EXPECT_EQ(Tasks(), c.expected);
        if (c.why) {
            EXPECT_THAT(TaskLog(), HasSubstr(c.why));
        }
    }
}

// A file with a time in the future stays "changed after the last sync" by that sync's time
// for ever; the record of its own time lets its deletion on the other side through.
TEST_F(FolderScanTest, AFileFromTheFutureIsDeletedOnceItsTwinWasDeleted) {
    const int64_t future = kBaseTime + 10 * 365 * 24 * 3600;
    Put(local, "future.kvo", future);
    Put(local, "edited.kvo", future + 5);
    PutBoth("both.kvo");  // a side that lists nothing would stop the pair
    Commit("both.kvo\r\nfuture.kvo\r\nedited.kvo\r\n");
    WriteFile(StateFile(".pair"),
              local + "/\r\n" + remote + "/\r\nLastSync=" + std::to_string(kBaseTime) + "\r\n");
    const std::string size = std::to_string(std::string("data of future.kvo").size());
    WriteFile(StateFile(".sides"), "future.kvo\x01" + std::to_string(future) + "\x01" + size +
                                       "\x01" + std::to_string(future) + "\x01" + size + "\r\n" +
                                       "edited.kvo\x01" + std::to_string(future) + "\x01" + size +
                                       "\x01" + std::to_string(future) + "\x01" + size + "\r\n");
    Scan();
    // The edit (another time than recorded) still beats the deletion.
    EXPECT_THAT(Tasks(),
                ElementsAre(Copy(local, remote, "edited.kvo"), Delete(local, "future.kvo")));
}

// A scan records the sides of every name it settles, so the next run knows them.
TEST_F(FolderScanTest, SettledNamesAreRecordedWithBothSides) {
    PutBoth("a.kvo", kBaseTime, kBaseTime + 1);  // within the tolerance: no task
    Put(local, "new.kvo");                       // its sides are recorded once it is copied
    Scan();
    const std::string size = std::to_string(std::string("data of a.kvo").size());
    EXPECT_EQ(ReadFile(StateFile(".sides-new")), "a.kvo\x01" + std::to_string(kBaseTime) + "\x01" +
                                                     size + "\x01" + std::to_string(kBaseTime + 1) +
                                                     "\x01" + size + "\r\n");
    CommitStateFiles(app.ctx);
    EXPECT_TRUE(Exists(StateFile(".sides")));
    EXPECT_FALSE(Exists(StateFile(".sides-new")));
}

// On a destination that follows the Windows naming rules, such names are said once and not
// attempted; the rest of the pair syncs.
TEST_F(FolderScanTest, NamesTheDestinationCannotHoldAreReportedAndLeftOut) {
    FailOnDisk(test::FsCall::DescribeFolder, tmp / "none");  // the faulty disk in place
    platform::FolderTraits share = *platform::DescribeFolder(remote);
    share.restrictsNames = true;
    faultyDisk->DescribeAs(remote, share);
    for (const char* name : {"a:b.kvo", "CON.kvo", "dot.", "blank ", "why?.kvo", "ok.kvo"})
        Put(local, name);
    Scan("*");
    EXPECT_THAT(Tasks(), ElementsAre(Copy(local, remote, "ok.kvo")));
    const struct {
        const char* name;
        const char* why;
    } refused[] = {{"a:b.kvo", "it holds the character ':'"},
                   {"CON.kvo", "CON is a reserved device name"},
                   {"dot.", "it ends with a dot"},
                   {"blank ", "it ends with a blank"},
                   {"why?.kvo", "it holds the character '?'"}};
    for (const auto& r : refused) {
        EXPECT_THAT(Completed(), testing::Contains("14:02:11 - Scan    Skipped " + local + "/" +
                                                   r.name + ": its name cannot be held by " +
                                                   remote + "/ (" + r.why + ")"));
    }
    EXPECT_EQ(ReadFile(StateFile(".tmp")), "ok.kvo\r\n");
}

// A side is the folder synced last time, by its identity; a record of an earlier version
// kept only a device number, which network and FUSE file systems change at every mount.
TEST_F(FolderScanTest, ASideIsToldByItsIdentityAndOldRecordsAreUpgraded) {
    const platform::FolderTraits disk = *platform::DescribeFolder(remote);
    struct Case {
        const char* label;
        std::string recordLine;  // what the pair record says of the remote side
        bool networkNow;         // the remote side is on a network file system now
        bool stops;
    };
    const Case cases[] = {
        {"the same folder", "RemoteFolder=" + disk.identity, false, false},
        {"another folder at the path", "RemoteFolder=" + disk.identity + "x", false, true},
        {"an old record, the same device", "RemoteFileSystem=" + std::to_string(disk.device), false,
         false},
        {"an old record, a share remounted", "RemoteFileSystem=1", true, false},
        {"an old record, another disk", "RemoteFileSystem=1", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        app.form.lstTasksToDo.Clear();
        app.form.lstCompletedTasks.Clear();
        app.state.RunHadFailure = false;
        platform::FolderTraits now = disk;
        now.deviceChangesOnMount = c.networkNow;
        auto fs = std::make_shared<test::FaultyFileSystem>();
        fs->DescribeAs(remote, now);
        app.ports.fileSystem = fs;
        Put(local, "a.kvo");
        PutBoth("both.kvo");  // a side that lists nothing would stop the pair
        Commit("a.kvo\r\nboth.kvo\r\n");
        WriteFile(StateFile(".pair"), local + "/\r\n" + remote + "/\r\n" + c.recordLine + "\r\n");
        Scan();
        EXPECT_EQ(app.state.RunHadFailure, c.stops);
        if (c.stops) {
            EXPECT_THAT(Tasks(), IsEmpty());
            EXPECT_THAT(Completed(), testing::Contains(HasSubstr(
                                         "Remote Folder Is On Another File System Than At The Last "
                                         "Sync (Remount It Or Choose The Path Again)")));
            continue;
        }
        EXPECT_THAT(Tasks(), ElementsAre(Delete(local, "a.kvo")));
        CommitStateFiles(app.ctx);
        EXPECT_THAT(ReadFile(StateFile(".pair")), HasSubstr("RemoteFolder=" + disk.identity));
    }
}

// One line of a pair's sides record.
std::string SidesLine(const std::string& name, int64_t localTime, int64_t remoteTime) {
    const std::string size = std::to_string(std::string("data of " + name).size());
    return name + "\x01" + std::to_string(localTime) + "\x01" + size + "\x01" +
           std::to_string(remoteTime) + "\x01" + size + "\r\n";
}

// A remote side that folds case against a local side that tells case apart: names meet
// without regard to case, two local names for one remote file are left alone, a case-only
// rename deletes nothing, and an unreadable local file still shields its remote twin.
TEST_F(FolderScanTest, NamesMeetWithoutRegardToCaseWhereTheRemoteSideFoldsIt) {
    struct Case {
        const char* label;
        std::vector<std::string> localNames, remoteNames;
        bool localReadFails;  // the local file cannot be read this time
        std::vector<std::string> tasks;
        const char* line;  // a part of a line of the scan
    };
    const Case cases[] = {
        {"a case-only rename on the local side", {"Show.kvo"}, {"show.kvo"}, false, {}, nullptr},
        {"a case-only rename, the local file unreadable",
         {"Show.kvo"},
         {"show.kvo"},
         true,
         {},
         "Error analyzing file"},
        {"two local names meet one remote file",
         {"Show.kvo", "show.kvo"},
         {"SHOW.kvo"},
         false,
         {},
         "Skipped \"Show.kvo\" and \"show.kvo\" in "},
        {"two local names, nothing remote yet",
         {"New.kvo", "new.kvo"},
         {},
         false,
         {},
         "the names differ only in case"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        test::TempDir run;
        test::TestApp app(run / "prog");
        const std::string L = run / "L";
        const std::string R = run / "R";
        test::MakeDirs(L);
        test::MakeDirs(R);
        auto disk = std::make_shared<test::FaultyFileSystem>();
        disk->FoldCaseIn(R);
        app.ports.fileSystem = disk;
        for (const std::string& name : c.localNames)
            Put(L, name);
        for (const std::string& name : c.remoteNames)
            Put(R, name);
        Put(L, "both.kvo");
        Put(R, "both.kvo");
        std::string recorded = "both.kvo\r\n";
        std::string sides = SidesLine("both.kvo", kBaseTime, kBaseTime);
        for (const std::string& name : c.remoteNames) {
            recorded += name + "\r\n";
            sides += SidesLine(name, kBaseTime, kBaseTime);
        }
        WriteFile(run / "prog/VarnelFileSyncSettings/Program_Logs.dat", recorded);
        WriteFile(run / "prog/VarnelFileSyncSettings/Program_Logs.sides", sides);
        if (c.localReadFails) disk->Fail(test::FsCall::Info, L + "/" + c.localNames.front());

        ScanFolderPair(app.ctx, L, R, "*.kvo", category);

        const auto& tasks = app.form.lstTasksToDo.Items();
        EXPECT_EQ(std::vector<std::string>(tasks.begin(), tasks.end()), c.tasks);
        if (c.line) {
            const auto& lines = app.form.lstCompletedTasks.Items();
            EXPECT_THAT(std::vector<std::string>(lines.begin(), lines.end()),
                        testing::Contains(HasSubstr(c.line)));
        }
    }
}

// A replacement decided because only one side changed that then fails is decided the same
// way by the next run, whatever the two clocks say: the record keeps the sides it had.
TEST_F(FolderScanTest, AFailedReplacementIsDecidedTheSameWayNextRun) {
    PutBoth("a.kvo", kBaseTime, kBaseTime + 600);  // the remote copy stamped by a clock ahead
    PutBoth("b.kvo");
    Commit("a.kvo\r\nb.kvo\r\n");
    WriteFile(StateFile(".sides"), SidesLine("a.kvo", kBaseTime, kBaseTime + 600) +
                                       SidesLine("b.kvo", kBaseTime, kBaseTime));
    WriteFile(local + "/a.kvo", "the operator's edit");
    SetMtime(local + "/a.kvo", kBaseTime + 60);
    FailOnDisk(test::FsCall::CopyFileChunked, local + "/a.kvo");
    Scan();
    ASSERT_THAT(Tasks(), ElementsAre(Replace(local, remote, "a.kvo")));
    while (app.form.lstTasksToDo.ListCount() > 0)
        tmrMain_Timer(app.ctx, nullptr);
    EXPECT_EQ(ReadFile(local + "/a.kvo"), "the operator's edit");

    app.ports.fileSystem = std::make_shared<platform::NativeFileSystem>();
    Scan();
    EXPECT_THAT(Tasks(), ElementsAre(Replace(local, remote, "a.kvo")));
}

// A folder whose identity cannot be read once is not recorded without one: that would stop
// every later run.
TEST_F(FolderScanTest, AnIdentityNotReadOnceLeavesLaterRunsAlone) {
    PutBoth("both.kvo");
    FailOnDisk(test::FsCall::DescribeFolder, remote);
    Scan();
    CommitStateFiles(app.ctx);
    EXPECT_THAT(ReadFile(StateFile(".pair")), Not(HasSubstr("RemoteFolder=")));
    app.ports.fileSystem = std::make_shared<platform::NativeFileSystem>();
    app.state.RunHadFailure = false;
    Scan();
    EXPECT_FALSE(app.state.RunHadFailure);
    CommitStateFiles(app.ctx);
    EXPECT_THAT(ReadFile(StateFile(".pair")), HasSubstr("RemoteFolder="));
}

}  // namespace
}  // namespace vfs
