#include "engine/task_execution.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "engine/activity_log.h"
#include "engine/backups.h"
#include "engine/copy_progress.h"
#include "engine/file_helpers.h"
#include "engine/run_controls.h"
#include "engine/run_summary.h"
#include "engine/state_files.h"
#include "engine/task_line.h"
#include "engine/text_helpers.h"
#include "engine/transfer_progress.h"
#include "platform/file_system.h"
#include "platform/folder_traits.h"
#include "platform/system_error.h"

namespace vfs {

namespace {

// The step marker shown in "Copy/Replace/Delete Error <n> Encountered": where the task was
// when an unexpected error stopped it. Markers below these come from parsing the line.
constexpr int32_t kStepBackup = 3;
constexpr int32_t kStepOperation = 4;
constexpr int32_t kStepUnknownKind = 8;
constexpr int32_t kStepCopySpaceCheck = 51;
constexpr int32_t kStepCopying = 61;
constexpr int32_t kStepCopyNoSpace = 71;
constexpr int32_t kStepCopyBackupFailed = 81;
constexpr int32_t kStepDeleteStarted = 52;
constexpr int32_t kStepDeleting = 62;
constexpr int32_t kStepDeleteBackupFailed = 72;

// How one task ended: done, failed with its own message, or stopped by an unexpected error
// that is reported with the step marker reached.
enum class Outcome { Done, Failed, Error };

// A copy is written under a name of ours in the destination's folder and takes the real
// name only when complete: hidden (listings leave out names starting with "."), short (it
// fits wherever the real name fits, also beside a 255-byte name), and random, so it is
// never an operator's file nor another session's copy in flight.
constexpr std::string_view kTemporaryPrefix = ".vfs-";
constexpr std::size_t kTemporaryDigits = 12;
constexpr int kTemporaryAttempts = 8;
// A temporary copy whose inode has not changed for this long belongs to no copy any more:
// a running copy changes it with every chunk it writes, and stamping its time changes it
// too. Only then is it a crash's leftover that may be removed. Two hours, so that the hour
// a local clock time can be ambiguous by never makes a live copy look old.
constexpr int64_t kLeftoverAgeSeconds = 2 * 60 * 60;

// One task in progress: the parsed line, the task's own file name and the step marker
// shown in error messages.
struct TaskRun {
    Context& ctx;
    ParsedTask task;
    std::string fileName;
    int32_t TaskStep = 1;
    const TaskView* view = nullptr;  // what the scan saw; null for a line without one
    int error = 0;  // the system's error number where a call stopped the task, else 0

    platform::FileSystem& fs() const { return *ctx.ports.fileSystem; }
};

// The name after the last separator: exact for any depth of folders and for names with
// blanks at either end.
std::string NameAfterLastSeparator(const std::string& path) {
    const std::size_t at = path.find_last_of(kSep);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t at = path.find_last_of(kSep);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

// The system's own words for why a call failed, for the operator to act on.
std::string Reason(int error) {
    return error == 0 ? std::string() : " [" + platform::ErrorText(error) + "]";
}

std::string YesNo(bool flag) {
    return flag ? "True" : "False";
}

void WriteParseDebugLines(Context& ctx, const ParsedTask& t) {
    ctx.ports.debug("FolderName = " + t.category);
    ctx.ports.debug("Path1 = " + t.firstPath);
    ctx.ports.debug("Path2 = " + t.secondPath);
}

void WriteBackupDebugLines(Context& ctx, const std::string& file) {
    ctx.ports.debug(
        "BackupPathIsValid=" + YesNo(ctx.state.BackupPathIsValid) +
        "chkEnableFileBackup.Value=" + std::to_string(ctx.form.chkEnableFileBackup.Value()));
    ctx.ports.debug("Attempting to create backup for " + file);
}

bool BackupOf(TaskRun& run, const std::string& path) {
    return CreateBackup(run.ctx, run.fileName, FolderOf(path), run.task.category);
}

// Backs up the file the task is about to overwrite or delete. A destination that does not
// exist yet needs no backup.
bool BackupStep(TaskRun& run) {
    Context& ctx = run.ctx;
    const ParsedTask& t = run.task;
    bool success = true;
    if (ctx.form.chkEnableFileBackup.Checked() && ctx.state.BackupPathIsValid) {
        success = false;
        if (t.TaskMode == kTaskCopy || t.TaskMode == kTaskReplace) {
            WriteBackupDebugLines(ctx, t.secondPath);
            success = !FileExists(run.fs(), t.secondPath) || BackupOf(run, t.secondPath);
        } else if (t.TaskMode == kTaskDelete) {
            WriteBackupDebugLines(ctx, t.firstPath);
            success = BackupOf(run, t.firstPath);
        }
    }
    ctx.ports.debug("BackupSuccess=" + YesNo(success));
    return success;
}

void ForgetInPendingStates(TaskRun& run) {
    RemoveFromPendingStates(run.ctx, run.fileName);
}

// Free space is asked of the destination's folder, which exists whatever the file's name
// looks like.
bool EnoughSpace(TaskRun& run, const std::string& source, const std::string& destination) {
    // Where the file system cannot say, the copy finds out: a full disk fails it, and the
    // temporary file goes.
    if (FreeSpaceUnknown(run.fs(), FolderOf(destination))) return true;
    double free = GetFreeSpace(run.fs(), FolderOf(destination));
    const std::optional<platform::EntryState> found = run.fs().Examine(source);
    int64_t size = found && found->regular ? found->size : -1;
    if (free >= static_cast<double>(size)) return true;
    run.TaskStep = kStepCopyNoSpace;
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace Canceled, insufficient space (" +
                            std::to_string(size) + ") to save to " + destination + "(" +
                            PlainNumber(free) + ")");
    ForgetInPendingStates(run);
    return false;
}

std::string NewTemporaryName() {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string name(kTemporaryPrefix);
    uint64_t bits = random();
    for (std::size_t i = 0; i < kTemporaryDigits; ++i, bits >>= 4)
        name.push_back(kHex[bits & 0xF]);
    return name;
}

bool IsTemporaryName(const std::string& name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits) return false;
    if (!name.starts_with(kTemporaryPrefix)) return false;
    return name.find_first_not_of("0123456789abcdef", kTemporaryPrefix.size()) == std::string::npos;
}

// A crash can leave a temporary copy behind; it is removed the first time a run copies into
// its folder, once no copy can own it any more (see kLeftoverAgeSeconds).
void SweepLeftoverTemporaries(TaskRun& run, const std::string& folder) {
    if (!run.ctx.state.TaskViews.sweptFolders.insert(folder).second) return;
    const auto names = run.fs().ListAllEntries(folder);
    if (!names) return;
    const std::optional<int64_t> now = platform::LocalToEpoch(run.ctx.ports.now());
    if (!now) return;
    for (const std::string& name : *names) {
        if (!IsTemporaryName(name)) continue;
        const auto found = run.fs().Examine(folder + name);
        if (found && found->regular && *now - found->changedSeconds > kLeftoverAgeSeconds) {
            run.fs().RemoveFile(folder + name);
        }
    }
}

// The new content goes to a temporary name of ours, stamped with the source's time and
// flushed to disk, so that a crash at any point leaves the old destination or none under
// the real name, never a partial file carrying a fresh time stamp.
platform::CopyResult CopyIntoTemporary(Context& ctx, const std::string& source,
                                       const std::string& folder, std::string& temporary) {
    platform::CopyResult result;
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = folder + NewTemporaryName();
        CountTaskCopy(ctx, true);
        result = CopyFileWithProgress(ctx, source, temporary);
        CountTaskCopy(ctx, false);
        // Someone else's file under that name is left alone; another name is drawn.
        if (result.ok || result.error != EEXIST) break;
    }
    if (result.ok && !ctx.ports.fileSystem->FlushFileToDisk(temporary)) {
        ctx.ports.fileSystem->RemoveFile(temporary);
        return platform::CopyResult{false, false, EIO, -1, 0, 0};
    }
    return result;
}

// Whether a folder's own look-up fails as a share that dropped fails it.
bool FolderUnreachable(platform::FileSystem& fs, const std::string& folder) {
    errno = 0;
    return !fs.FileSystemId(folder) && platform::IsShareTrouble(errno);
}

Outcome FailedCopy(TaskRun& run, const platform::CopyResult& result) {
    const std::string& source = run.task.firstPath;
    const std::string& destination = run.task.secondPath;
    if (result.sourceChanged) {
        LogProblem(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace failed, " + source +
                                " changed while it was copied to " + destination);
    } else {
        LogProblem(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace failed, unable to copy " +
                                source + " to " + destination + Reason(result.error));
    }
    ForgetInPendingStates(run);
    // A share that failed in the middle of a copy fails the pair's next tasks too; one bad
    // file on a disk that still answers does not.
    if (platform::IsShareTrouble(result.error) &&
        (FolderUnreachable(run.fs(), FolderOf(source)) ||
         FolderUnreachable(run.fs(), FolderOf(destination)))) {
        run.ctx.state.ShareTroubleCategories.insert(run.task.category);
    }
    return Outcome::Failed;
}

// Puts the flushed temporary file in the destination's place. An old destination is
// replaced in one step, so a crash cannot leave the name empty (the next run would take
// that for a deletion). A destination that cannot be deleted cannot be replaced either.
// The copy already carries the exact time of the source version it holds.
Outcome SwapIn(TaskRun& run, const std::string& destination, const std::string& temporary,
               bool replacing) {
    errno = 0;
    if (run.fs().MoveIntoPlace(temporary, destination, replacing)) return Outcome::Done;
    run.error = errno;
    run.fs().RemoveFile(temporary);
    return Outcome::Error;
}

const ScannedPair* PairOf(const Context& ctx, const std::string& category) {
    for (const ScannedPair& pair : ctx.state.ScannedPairs) {
        if (pair.category == category) return &pair;
    }
    return nullptr;
}

// The record learns what both sides hold now: the source as the scan saw it (the check
// before the task and the copy itself made sure it did not change), and the copy as its
// file system keeps it, which may differ from the source's time (2-second steps, a server
// that stamps its own clock) without being an edit.
void RecordCopiedSides(TaskRun& run, const platform::CopyResult& copied) {
    const TaskView* view = run.view;
    const ScannedPair* pair = PairOf(run.ctx, run.task.category);
    if (!view || !pair) return;
    std::optional<platform::EntryState> copy = run.fs().Examine(run.task.secondPath);
    // A share's server may stamp the time of the last write on the file once the client has
    // let it go, which can come after the copy's own stamp: the file in place gets the time
    // of the version it holds again.
    if (copy && copy->regular && copy->modifiedSeconds != copied.sourceSeconds &&
        run.fs().SetModifiedInstant(run.task.secondPath, copied.sourceSeconds,
                                    copied.sourceNanoseconds)) {
        copy = run.fs().Examine(run.task.secondPath);
    }
    if (!copy || !copy->regular) return;
    const bool fromLocal = view->firstFolder == pair->localPath;
    const SyncedSides sides = fromLocal ? SyncedSides{copied.sourceSeconds, copied.sourceSize,
                                                      copy->modifiedSeconds, copy->size}
                                        : SyncedSides{copy->modifiedSeconds, copy->size,
                                                      copied.sourceSeconds, copied.sourceSize};
    AddSyncedSides(run.ctx, run.task.category, view->fileName, sides);
}

// A copy onto a file that appeared after the scan is cancelled like a replace: nothing was
// copied, so it is reported as a failure rather than logged as done.
Outcome BackupFailedBeforeCopy(TaskRun& run) {
    run.TaskStep = kStepCopyBackupFailed;
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace Canceled, Backup of " +
                            run.task.secondPath + " Failed");
    return Outcome::Failed;
}

Outcome CopyOrReplace(TaskRun& run, bool backupSuccess) {
    if (!backupSuccess) return BackupFailedBeforeCopy(run);
    const std::string& source = run.task.firstPath;
    const std::string& destination = run.task.secondPath;
    const std::string folder = FolderOf(destination);
    // A file in use is not asked about beforehand: where the system locks files (Windows),
    // the copy or the swap fails on it and the line gives the system's reason.
    bool replacing = FileExists(run.fs(), destination);
    run.TaskStep = kStepCopySpaceCheck;
    if (!EnoughSpace(run, source, destination)) return Outcome::Failed;
    run.TaskStep = kStepCopying;
    SweepLeftoverTemporaries(run, folder);
    std::string temporary;
    const platform::CopyResult copied = CopyIntoTemporary(run.ctx, source, folder, temporary);
    if (!copied) return FailedCopy(run, copied);
    const Outcome outcome = SwapIn(run, destination, temporary, replacing);
    if (outcome == Outcome::Done) RecordCopiedSides(run, copied);
    return outcome;
}

Outcome DeleteTask(TaskRun& run, bool backupSuccess) {
    run.TaskStep = kStepDeleteStarted;
    const std::string& file = run.task.firstPath;
    // A file that is still there stays in the record, so the next run deletes it again.
    const std::string name = file.substr(file.find_last_of(kSep) + 1);
    if (backupSuccess) {
        run.TaskStep = kStepDeleting;
        errno = 0;
        if (run.fs().RemoveFile(file)) return Outcome::Done;
        run.error = errno;
        KeepInPendingState(run.ctx, run.task.category, name);
        return Outcome::Error;
    }
    run.TaskStep = kStepDeleteBackupFailed;
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - Delete Canceled, Backup of " + file + " Failed");
    KeepInPendingState(run.ctx, run.task.category, name);
    return Outcome::Failed;
}

Outcome Operation(TaskRun& run, bool backupSuccess) {
    run.TaskStep = kStepOperation;
    switch (run.task.TaskMode) {
        case kTaskCopy:
        case kTaskReplace:
            return CopyOrReplace(run, backupSuccess);
        case kTaskDelete:
            return DeleteTask(run, backupSuccess);
        default:
            run.TaskStep = kStepUnknownKind;
            return Outcome::Done;
    }
}

// The same entry as at the scan: there or not there as then, and if there, the same
// regular file, length and modified instant. A look-up that failed proves nothing.
bool SameAsScanned(const std::optional<platform::EntryState>& then,
                   const std::optional<platform::EntryState>& now) {
    if (!then || !now || then->exists != now->exists) return false;
    if (!then->exists) return true;
    return then->regular == now->regular && then->size == now->size &&
           then->modifiedSeconds == now->modifiedSeconds &&
           then->modifiedNanoseconds == now->modifiedNanoseconds;
}

// What stands in the way of a task, in the operator's words.
struct Obstacle {
    std::string what;
    bool fileChanged = false;  // the file itself is not as the scan saw it
    int shareError = 0;        // the look-up failed as a dropped share fails it
};

// A share that went away leaves its bare mount point behind: the path is still a folder,
// but on another file system, and whatever is written there is lost when the share returns.
std::optional<Obstacle> FolderMoved(platform::FileSystem& fs, const std::string& folder,
                                    const std::optional<uint64_t>& then) {
    errno = 0;
    const std::optional<uint64_t> now = fs.FileSystemId(folder);
    if (then && now && *then == *now) return std::nullopt;
    if (!now && platform::IsShareTrouble(errno)) return Obstacle{folder, false, errno};
    return Obstacle{folder + " is no longer on the file system it was on at the scan"};
}

std::optional<Obstacle> FileChanged(platform::FileSystem& fs, const std::string& folder,
                                    const std::string& name,
                                    const std::optional<platform::EntryState>& then) {
    const std::string path = folder + name;
    errno = 0;
    const std::optional<platform::EntryState> now = fs.Examine(path);
    if (SameAsScanned(then, now)) return std::nullopt;
    const int error = errno;
    if (!now && platform::IsShareTrouble(error)) {
        // The share itself, when its folder fails too; otherwise this one file, which says
        // nothing about the others.
        if (FolderUnreachable(fs, folder)) return Obstacle{path, false, error};
        return Obstacle{path + " could not be looked up" + Reason(error)};
    }
    return Obstacle{path + " changed after the scan", true};
}

// What is no longer as the scan saw it; nothing when all is.
std::optional<Obstacle> WhatChangedSinceTheScan(TaskRun& run, const TaskView& view) {
    platform::FileSystem& fs = run.fs();
    const bool twoSides = run.task.TaskMode != kTaskDelete;
    if (auto moved = FolderMoved(fs, view.firstFolder, view.firstFileSystem)) return moved;
    if (twoSides) {
        if (auto moved = FolderMoved(fs, view.secondFolder, view.secondFileSystem)) return moved;
    }
    if (auto changed = FileChanged(fs, view.firstFolder, view.fileName, view.first)) {
        return changed;
    }
    if (twoSides) return FileChanged(fs, view.secondFolder, view.fileName, view.second);
    return std::nullopt;
}

std::string CanceledVerb(const TaskRun& run) {
    return run.task.TaskMode == kTaskDelete ? "Delete Canceled, " : "Copy/Replace Canceled, ";
}

// A task not carried out for a reason other than a change of its file leaves the record as
// the scan found it: a deletion stays due (the name stays recorded, so the survivor is not
// taken for a new file and copied back), and a copy is decided afresh.
void LeaveForTheNextRun(TaskRun& run) {
    if (run.task.TaskMode == kTaskDelete) {
        KeepInPendingState(run.ctx, run.task.category, run.fileName);
    } else {
        ForgetInPendingStates(run);
    }
}

// A share that stops answering fails every look-up of its folder for a while: the pair's
// remaining tasks are not tried one after the other against it, nor taken for edits.
bool HeldBackByShareTrouble(TaskRun& run) {
    if (run.ctx.state.ShareTroubleCategories.count(run.task.category) == 0) return false;
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - " + CanceledVerb(run) + "share trouble in " +
                            run.task.category + " earlier in this run: " + run.task.firstPath +
                            " left for the next run");
    LeaveForTheNextRun(run);
    return true;
}

void ReportShareTrouble(TaskRun& run, const Obstacle& obstacle) {
    run.ctx.state.ShareTroubleCategories.insert(run.task.category);
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - " + CanceledVerb(run) +
                            "share trouble: " + obstacle.what + " could not be looked up" +
                            Reason(obstacle.shareError) + "; the remaining " + run.task.category +
                            " tasks are left for the next run");
    LeaveForTheNextRun(run);
}

// A task decided on a picture of the world that is no longer true is not carried out; the
// name leaves the pending state, so the next run decides afresh from what it finds.
bool StillAsScanned(TaskRun& run, const TaskView& view) {
    if (HeldBackByShareTrouble(run)) return false;
    const std::optional<Obstacle> obstacle = WhatChangedSinceTheScan(run, view);
    if (!obstacle) return true;
    if (obstacle->shareError != 0) {
        ReportShareTrouble(run, *obstacle);
        return false;
    }
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - " + CanceledVerb(run) + obstacle->what);
    if (obstacle->fileChanged) {
        ForgetInPendingStates(run);
    } else {
        LeaveForTheNextRun(run);
    }
    return false;
}

void ReportUnexpectedError(TaskRun& run) {
    LogProblem(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace/Delete Error " +
                            std::to_string(run.TaskStep) + " Encountered " + run.task.remainder +
                            Reason(run.error));
    if (run.task.TaskMode != kTaskDelete) ForgetInPendingStates(run);
}

// The head row is removed whatever the result; the queue may have been cleared and filled
// again while the copy let the event loop run, so only the row that was taken goes.
void RemoveHead(ListBox& queue, const std::string& head, std::optional<uint64_t> key) {
    if (queue.ListCount() == 0) return;
    const bool same =
        key ? queue.ComposedKey(0) == key : !queue.ComposedKey(0) && queue.Item(0) == head;
    if (same) queue.RemoveFirst();
}

// What the task will copy: the source's length for a copy or a replacement, nothing for a
// delete (which names no second folder).
int64_t BytesToCopy(const std::optional<TaskView>& view) {
    if (!view || view->secondFolder.empty() || !view->first) return 0;
    return view->first->size;
}

void ExecuteHeadTask(Context& ctx) {
    ListBox& queue = ctx.form.lstTasksToDo;
    const std::string head = queue.Item(0);
    const std::optional<uint64_t> key = queue.ComposedKey(0);
    std::string line = head;
    const std::optional<TaskView> view = TakeTaskView(ctx, 0);
    StartTransferTask(ctx, BytesToCopy(view));
    ShowOverallTaskProgress(ctx);
    if (ExecuteTask(ctx, line, view ? &*view : nullptr)) {
        LogLine(ctx, TimeStamp(ctx) + " - " + head);
        ++ctx.state.Tally.tasksDone;
    } else {
        ctx.state.RunHadFailure = true;
        ++ctx.state.Tally.tasksFailed;
    }
    SettleTransferTask(ctx);
    RemoveHead(queue, head, key);
    if (queue.ListCount() == 0) CloseRun(ctx);
}

bool MayExecuteTask(const Context& ctx) {
    return !ctx.state.SyncInProgress && ctx.form.lstTasksToDo.ListCount() > 0 &&
           !ctx.state.CopyInProgress;
}

void HideBar(ProgressBar& bar, Label& label) {
    bar.SetVisible(false);
    label.SetVisible(false);
    bar.SetValue(0);
}

}  // namespace

bool ExecuteTask(Context& ctx, std::string& taskLine, const TaskView* view) {
    TaskRun run{ctx, ParseTaskLine(taskLine), {}};
    run.view = view;
    run.fileName = view ? view->fileName : NameAfterLastSeparator(run.task.firstPath);
    run.TaskStep = run.task.TaskStep;
    taskLine = run.task.remainder;  // the parser consumes the text it is given
    if (!run.task.separatorFound) return false;
    WriteParseDebugLines(ctx, run.task);
    if (view && !StillAsScanned(run, *view)) return false;
    run.TaskStep = kStepBackup;
    bool backupSuccess = BackupStep(run);
    Outcome outcome = Operation(run, backupSuccess);
    if (outcome == Outcome::Error) ReportUnexpectedError(run);
    return outcome == Outcome::Done;
}

void CloseRun(Context& ctx) {
    FormModel& f = ctx.form;
    ReportRunEnd(ctx, "Finished File Sync", true);
    ResetTransferProgress(ctx);
    ctx.state.QueuedTaskCount = 0;
    ctx.state.TaskViews.Clear();
    HideBar(f.pbOverall, f.lblPbOverall);
    HideBar(f.pbTask, f.lblPbTask);
    CommitStateFiles(ctx);
    HandBackControls(ctx);
}

void tmrMain_Timer(Context& ctx, const std::function<void()>& dueCheck) {
    ctx.form.lblTime.SetCaption(FormatClock(ctx.ports.now()));
    if (MayExecuteTask(ctx)) ExecuteHeadTask(ctx);
    if (dueCheck) dueCheck();
    ctx.ports.updateTrayIcon();
}

}  // namespace vfs
