#include "engine/run_sync.h"

#include <cmath>
#include <string>

#include "engine/activity_log.h"
#include "engine/file_helpers.h"
#include "engine/folder_scan.h"
#include "engine/pair_links.h"
#include "engine/run_controls.h"
#include "engine/run_summary.h"
#include "engine/state_files.h"
#include "engine/transfer_progress.h"
#include "form/folder_categories.h"
#include "form/speed_levels.h"

namespace vfs {

namespace {

// The overall bar while the scan starts, while it reaches the audio rows, once every pair
// is scanned, and at the end.
constexpr long kProgressScanStart = 3;
constexpr long kProgressAudioStart = 17;
constexpr long kProgressScanned = 98;
constexpr long kProgressDone = 100;
// The audio rows spread over the bar from the first row's value to the last row's.
constexpr long kProgressFirstAudioRow = 20;
constexpr long kProgressLastAudioRow = 97;

void ShowOverallProgress(Context& ctx, long value) {
    ctx.form.pbOverall.SetValue(value);
    ctx.form.lblPbOverall.SetCaption("Overall File Scan Progress " +
                                     std::to_string(ctx.form.pbOverall.Value()) + "%");
}

void HideProgressBars(Context& ctx) {
    ctx.form.pbOverall.SetValue(0);
    ctx.form.pbOverall.SetVisible(false);
    ctx.form.lblPbOverall.SetVisible(false);
    ctx.form.pbTask.SetValue(0);
    ctx.form.pbTask.SetVisible(false);
    ctx.form.lblPbTask.SetVisible(false);
}

// A run starts from pauses of its own, no longer than those the speed list sets when the
// operator picks a level.
void ApplyRunSpeed(Context& ctx) {
    const SpeedPauses pauses = RunSpeedPauses(ctx.form.cboSyncSpeed.ListIndex());
    ctx.state.SleepTimeCopy = pauses.copyMs;
    ctx.state.SleepTimeSync = pauses.syncMs;
}

void StartScanPhase(Context& ctx) {
    ctx.state.SyncInProgress = true;
    BeginRunRecord(ctx);
    StartRunTally(ctx);
    ResetTransferProgress(ctx);
    ctx.ports.yield();
    ctx.state.LastSyncTime = MsSinceMidnight(ctx);
}

void ShowScanStart(Context& ctx) {
    ctx.form.pbOverall.SetVisible(true);
    ctx.form.lblPbOverall.SetVisible(true);
    ShowOverallProgress(ctx, kProgressScanStart);
}

void CancelForBackupFolder(Context& ctx) {
    ShowPrompt(ctx, "The path specified for file backup is not valid.  Sync will be canceled",
               "Error Accessing Backup Directory");
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Canceled File Sync: Backup Path Invalid");
    LogProblem(ctx, TimeStamp(ctx) + " - Scan    Canceled File Sync: Backup Path Invalid");
    HideProgressBars(ctx);
    ctx.state.BackupPathIsValid = false;
    ctx.state.SyncInProgress = false;
    HandBackControls(ctx);
    // A cancelled run is a failed one. A sync-and-exit start gets no second run, so it
    // closes instead of waiting for an operator who may not be there.
    ctx.state.RunHadFailure = true;
    if (ctx.state.SyncAndExit) ctx.state.ExitRequested = true;
}

// False when the run is cancelled because the named backup folder cannot be had.
bool CheckBackupFolder(Context& ctx) {
    if (!ctx.form.chkEnableFileBackup.Checked()) return true;
    const std::string folder = ctx.form.txtBackupDir.Text();
    if (folder.empty()) {
        const std::string text =
            TimeStamp(ctx) + " - Backup Path Blank: No backups will be created for this sync";
        ctx.form.lblStatus.SetCaption(text);
        LogLine(ctx, text);
        ctx.state.BackupPathIsValid = false;
        return true;
    }
    // A preview makes no folder; a missing one is reported as the run would find it.
    if (!FolderExists(folder) && !ctx.state.Preview) MakeFolderPath(folder);
    if (!FolderExists(folder)) {
        CancelForBackupFolder(ctx);
        return false;
    }
    ctx.state.BackupPathIsValid = true;
    return true;
}

// An unreachable pair counts as a failed run only when both of its paths were given: a
// pair the operator never set up is no failure, and its line no problem to report.
void SkipUnreachable(Context& ctx, Picture& indicator, const std::string& category,
                     const std::string& messageName, const std::string& local,
                     const std::string& remote) {
    const std::string line =
        TimeStamp(ctx) + " - Scan    Skipping " + messageName + ": Path Unreachable or Invalid";
    indicator.SetToolTip(
        ReportUnreachablePair(ctx, category, line, IsChosenEntry(local) && IsChosenEntry(remote)));
}

// The indicator after the pair's scan: the error picture while the scan stopped, with why in
// its tooltip; the pair stays in the sync (its tag is untouched), so the next run tries again.
void ShowScanned(const Context& ctx, Picture& indicator, const std::string& category,
                 const char* active, const char* stopped) {
    const std::string trouble = PairTrouble(ctx, category);
    indicator.SetPictureId(trouble.empty() ? active : stopped);
    indicator.SetToolTip(trouble);
}

void LogDisabled(Context& ctx, const std::string& messageName) {
    LogToFileOnly(ctx, TimeStamp(ctx) + " - Skipping " + messageName + ": Path Disabled");
}

void ScanFixedCategory(Context& ctx, int index) {
    const FolderCategory& category = FolderCategoryAt(index);
    Picture& indicator = ctx.form.imgPathLink[static_cast<std::size_t>(index)];
    const std::string local = (ctx.form.*category.localBox).Text();
    const std::string remote = (ctx.form.*category.remoteBox).Text();
    switch (IndicatorTagValue(indicator.Tag())) {
        case kTagValueActive:
            indicator.SetPictureId(kPathLinkScanning);
            ForgetPairTrouble(ctx, category.name);
            ScanFolderPair(ctx, local, remote, category.pattern, category.name);
            ShowScanned(ctx, indicator, category.name, kPathLinkActive, kPathLinkError);
            break;
        case kTagValueError:
            SkipUnreachable(ctx, indicator, category.name, category.messageName, local, remote);
            break;
        default:
            LogDisabled(ctx, category.messageName);
    }
}

void ScanFixedCategories(Context& ctx) {
    bool first = true;
    for (int index = 0; index < kCategoryCount; ++index) {
        const FolderCategory& category = FolderCategoryAt(index);
        if (category.extendedOnly && !ctx.state.ExtendedFolders) continue;
        if (!first) ShowOverallProgress(ctx, category.progressBefore);
        first = false;
        ScanFixedCategory(ctx, index);
        ctx.ports.updateTrayIcon();
    }
}

void ScanAudioRow(Context& ctx, std::size_t row) {
    Picture& indicator = ctx.form.imgLineLink[row];
    const std::string local = ctx.form.lstLAudioPaths.Item(row);
    const std::string remote = ctx.form.lstRAudioPaths.Item(row);
    const std::string name = AudioCategoryName(static_cast<int>(row));
    switch (IndicatorTagValue(indicator.Tag())) {
        case kTagValueActive:
            indicator.SetPictureId(kLineLinkScanning);
            ForgetPairTrouble(ctx, name);
            ScanFolderPair(ctx, local, remote, kAudioPattern, name);
            ShowScanned(ctx, indicator, name, kLineLinkActive, kLineLinkError);
            break;
        case kTagValueError:
            SkipUnreachable(ctx, indicator, name, name, local, remote);
            break;
        default:
            LogDisabled(ctx, name);
    }
}

void ScanAudioFolders(Context& ctx) {
    ShowOverallProgress(ctx, kProgressAudioStart);
    // The row count is taken once; the lists are read afresh for every row.
    const std::size_t rows = ctx.form.lstLAudioPaths.ListCount();
    for (std::size_t row = 0; row < rows && row < ctx.form.imgLineLink.size(); ++row) {
        ctx.ports.updateTrayIcon();
        const long progress = AudioRowProgress(row, ctx.form.lstLAudioPaths.ListCount());
        ShowOverallProgress(ctx, progress >= 0 ? progress : ctx.form.pbOverall.Value());
        if (row >= ctx.form.lstRAudioPaths.ListCount()) break;
        if (row >= ctx.form.lstLAudioPaths.ListCount()) break;
        ScanAudioRow(ctx, row);
    }
}

void FinishWithNothingToDo(Context& ctx) {
    ReportRunEnd(ctx, "Finished File Sync: No Files To Sync", false);
    HideProgressBars(ctx);
    CommitStateFiles(ctx);
    HandBackControls(ctx);
}

void AnnounceTasks(Context& ctx, std::size_t count) {
    const std::string what =
        count == 1 ? "1 File To Sync" : std::to_string(count) + " Files To Sync";
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Starting File Sync: " + what);
    LogLine(ctx, TimeStamp(ctx) + " - Sync    Starting File Sync: " + what);
}

void ReportPreview(Context& ctx) {
    const int32_t found = ctx.state.PreviewTaskCount;
    const std::string text = TimeStamp(ctx) + " - Preview Finished: " + std::to_string(found) +
                             (found == 1 ? " Task" : " Tasks") + ", Nothing Changed";
    ctx.form.lblStatus.SetCaption(text);
    AddCompletedLine(ctx, text);
    HideProgressBars(ctx);
    HandBackControls(ctx);
}

void ReportOutcome(Context& ctx) {
    if (ctx.state.Preview) return ReportPreview(ctx);
    const std::size_t queued = ctx.form.lstTasksToDo.ListCount();
    if (queued == 0) {
        FinishWithNothingToDo(ctx);
    } else {
        AnnounceTasks(ctx, queued);
    }
}

}  // namespace

long AudioRowProgress(std::size_t row, std::size_t rowCount) {
    if (rowCount <= 1) return -1;
    constexpr double kSpan = kProgressLastAudioRow - kProgressFirstAudioRow;
    return kProgressFirstAudioRow +
           std::lrint(kSpan * static_cast<double>(row) / static_cast<double>(rowCount - 1));
}

void RunSync(Context& ctx) {
    ctx.ports.debug("RunSync Started");
    LockRunControls(ctx);
    ApplyRunSpeed(ctx);
    StartScanPhase(ctx);
    ShowScanStart(ctx);
    // The indicators decide which pairs take part, so they are brought up to date first.
    ValidatePaths(ctx);
    if (!CheckBackupFolder(ctx)) return;
    ScanFixedCategories(ctx);
    ScanAudioFolders(ctx);
    ShowOverallProgress(ctx, kProgressScanned);
    ReportOutcome(ctx);
    ShowOverallProgress(ctx, kProgressDone);
    // The queued tasks are the main timer's work from here on; the scan phase is over.
    ctx.state.SyncInProgress = false;
    // A sync-and-exit start closes once the timer has worked off the queue.
    if (ctx.state.SyncAndExit) ctx.state.ExitRequested = true;
}

void cmdRun_Click(Context& ctx) {
    ctx.ports.debug("cmdRun Clicked");
    ctx.form.SetFocus("txtFocus");
    RunSync(ctx);
}

}  // namespace vfs
