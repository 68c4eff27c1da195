#include "engine/task_execution.h"

#include <cmath>
#include <cstdio>

#include "engine/activity_log.h"
#include "engine/backups.h"
#include "engine/copy_progress.h"
#include "engine/file_helpers.h"
#include "engine/run_controls.h"
#include "engine/state_files.h"
#include "engine/task_line.h"
#include "engine/text_helpers.h"
#include "platform/file_system.h"

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

// One task in progress: the parsed line and the step marker shown in error messages.
struct TaskRun {
    Context& ctx;
    ParsedTask task;
    int32_t TaskStep = 1;

    platform::FileSystem& fs() const { return *ctx.ports.fileSystem; }
};

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

bool BackupOf(Context& ctx, const std::string& path, const std::string& category) {
    return CreateBackup(ctx, GetFileNamePart(path), GetFolderPart(path), category);
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
            success =
                !FileExists(run.fs(), t.secondPath) || BackupOf(ctx, t.secondPath, t.category);
        } else if (t.TaskMode == kTaskDelete) {
            WriteBackupDebugLines(ctx, t.firstPath);
            success = BackupOf(ctx, t.firstPath, t.category);
        }
    }
    ctx.ports.debug("BackupSuccess=" + YesNo(success));
    return success;
}

void ForgetInPendingStates(Context& ctx, const std::string& path) {
    RemoveFromPendingStates(ctx, GetFileNamePart(path));
}

void DeleteIfPresent(platform::FileSystem& fs, const std::string& path) {
    if (FileExists(fs, path)) fs.RemoveFile(path);
}

// Free space is asked of the destination's folder, which exists whatever the file's name
// looks like.
bool EnoughSpace(TaskRun& run, const std::string& source, const std::string& destination) {
    double free = GetFreeSpace(run.fs(), WithTrailingSeparator(GetFolderPart(destination)));
    int64_t size = GetFileSizeBytes(run.fs(), source);
    if (free >= static_cast<double>(size)) return true;
    run.TaskStep = kStepCopyNoSpace;
    LogLine(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace Canceled, insufficient space (" +
                         std::to_string(size) + ") to save to " + destination + "(" +
                         PlainNumber(free) + ")");
    ForgetInPendingStates(run.ctx, destination);
    return false;
}

// The new content goes to a temporary name, stamped with the source's time and flushed to
// disk, so that a crash at any point leaves the old destination or none under the real
// name, never a partial file carrying a fresh time stamp.
bool CopyIntoTemporary(Context& ctx, const std::string& source, const std::string& temporary) {
    if (!CopyFileWithProgress(ctx, source, temporary)) return false;
    platform::FileSystem& fs = *ctx.ports.fileSystem;
    auto sourceTime = fs.ModifiedTime(source);
    // The copy has carried the time over already; stamping again keeps the date rule exact
    // also where the file system rounds times differently.
    if (sourceTime) SetFileDate(fs, temporary, *sourceTime);
    return fs.FlushFileToDisk(temporary);
}

Outcome FailedCopy(TaskRun& run, const std::string& source, const std::string& destination,
                   const std::string& temporary) {
    DeleteIfPresent(run.fs(), temporary);
    LogLine(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace failed, unable to copy " + source +
                         " to " + destination);
    ForgetInPendingStates(run.ctx, destination);
    return Outcome::Failed;
}

// Puts the flushed temporary file in the destination's place. An old destination is
// replaced in one step, so a crash cannot leave the name empty (the next run would take
// that for a deletion). A destination that cannot be deleted cannot be replaced either.
Outcome SwapIn(platform::FileSystem& fs, const std::string& source, const std::string& destination,
               const std::string& temporary, bool replacing) {
    auto sourceTime = fs.ModifiedTime(source);
    if (!sourceTime) return Outcome::Error;
    if (!fs.MoveIntoPlace(temporary, destination, replacing)) return Outcome::Error;
    SetFileDate(fs, destination, *sourceTime);
    return Outcome::Done;
}

// A copy onto a file that appeared after the scan is cancelled like a replace: nothing was
// copied, so it is reported as a failure rather than logged as done.
Outcome BackupFailedBeforeCopy(TaskRun& run) {
    run.TaskStep = kStepCopyBackupFailed;
    LogLine(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace Canceled, Backup of " +
                         run.task.secondPath + " Failed");
    return Outcome::Failed;
}

Outcome CopyOrReplace(TaskRun& run, bool backupSuccess) {
    if (!backupSuccess) return BackupFailedBeforeCopy(run);
    const std::string& source = run.task.firstPath;
    const std::string& destination = run.task.secondPath;
    const std::string temporary = destination + std::string(kCopyTemporarySuffix);
    // A file that appeared after the scan is replaced like any other. Files are never
    // reported in use here: the platform has no mandatory locks to ask about.
    bool replacing = FileExists(run.fs(), destination);
    DeleteIfPresent(run.fs(), temporary);  // left over from an interrupted run
    run.TaskStep = kStepCopySpaceCheck;
    if (!EnoughSpace(run, source, destination)) return Outcome::Failed;
    run.TaskStep = kStepCopying;
    if (!CopyIntoTemporary(run.ctx, source, temporary)) {
        return FailedCopy(run, source, destination, temporary);
    }
    Outcome outcome = SwapIn(run.fs(), source, destination, temporary, replacing);
    if (outcome == Outcome::Error) DeleteIfPresent(run.fs(), temporary);
    return outcome;
}

Outcome DeleteTask(TaskRun& run, bool backupSuccess) {
    run.TaskStep = kStepDeleteStarted;
    const std::string& file = run.task.firstPath;
    if (backupSuccess) {
        run.TaskStep = kStepDeleting;
        return run.fs().RemoveFile(file) ? Outcome::Done : Outcome::Error;
    }
    run.TaskStep = kStepDeleteBackupFailed;
    LogLine(run.ctx, TimeStamp(run.ctx) + " - Delete Canceled, Backup of " + file + " Failed");
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

void ReportUnexpectedError(TaskRun& run) {
    LogLine(run.ctx, TimeStamp(run.ctx) + " - Copy/Replace/Delete Error " +
                         std::to_string(run.TaskStep) + " Encountered " + run.task.remainder);
    if (run.task.TaskMode != kTaskDelete) ForgetInPendingStates(run.ctx, run.task.secondPath);
}

// Overall progress: 1 for the first task of a run, 100 for the last of 100. Beyond 200
// tasks the formula passes 100 and the bar keeps its value.
void ShowOverallProgress(Context& ctx) {
    FormModel& f = ctx.form;
    long remaining = static_cast<long>(f.lstTasksToDo.ListCount());
    int32_t queued = ctx.state.QueuedTaskCount;
    long value = queued < 1 ? 0 : 101 - std::lrint(100.0 * remaining / queued);
    f.pbOverall.SetValue(value);
    f.lblPbOverall.SetCaption("Overall File Copy/Replace/Delete Progress " +
                              std::to_string(f.pbOverall.Value()) + "%");
    if (!f.pbOverall.Visible()) {
        f.pbOverall.SetVisible(true);
        f.lblPbOverall.SetVisible(true);
    }
}

// The head line is removed whatever the result; the queue may have been cleared while the
// copy let the event loop run, so only the line that was taken goes.
void RemoveHead(ListBox& queue, const std::string& head) {
    if (queue.ListCount() > 0 && queue.Item(0) == head) queue.RemoveFirst();
}

void ExecuteHeadTask(Context& ctx) {
    ShowOverallProgress(ctx);
    const std::string head = ctx.form.lstTasksToDo.Item(0);
    std::string line = head;
    if (ExecuteTask(ctx, line)) {
        LogLine(ctx, TimeStamp(ctx) + " - " + head);
    } else {
        ctx.state.RunHadFailure = true;
    }
    RemoveHead(ctx.form.lstTasksToDo, head);
    if (ctx.form.lstTasksToDo.ListCount() == 0) CloseRun(ctx);
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

bool ExecuteTask(Context& ctx, std::string& taskLine) {
    TaskRun run{ctx, ParseTaskLine(taskLine)};
    run.TaskStep = run.task.TaskStep;
    taskLine = run.task.remainder;  // the parser consumes the text it is given
    if (!run.task.separatorFound) return false;
    WriteParseDebugLines(ctx, run.task);
    run.TaskStep = kStepBackup;
    bool backupSuccess = BackupStep(run);
    Outcome outcome = Operation(run, backupSuccess);
    if (outcome == Outcome::Error) ReportUnexpectedError(run);
    return outcome == Outcome::Done;
}

void CloseRun(Context& ctx) {
    FormModel& f = ctx.form;
    f.lblStatus.SetCaption(TimeStamp(ctx) + " - Finished File Sync");
    LogLine(ctx, TimeStamp(ctx) + " - Sync    Finished File Sync");
    ctx.state.QueuedTaskCount = 0;
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
