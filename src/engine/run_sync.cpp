#include "engine/run_sync.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

#include "config/path_grid.h"
#include "config/startup.h"
#include "engine/activity_log.h"
#include "engine/file_helpers.h"
#include "engine/folder_scan.h"
#include "engine/run_controls.h"
#include "engine/state_files.h"

namespace vfs {

namespace {

// The run's own pauses; they differ from those the speed list sets when the operator picks
// an item, and every run starts from these.
constexpr std::array<RunPauses, 5> kRunPauses = {{{0, 0}, {3, 6}, {5, 10}, {10, 20}, {25, 50}}};
constexpr RunPauses kRunPausesNoSpeed = {5, 10};

constexpr const char* kAudioPattern = "*.krt;*.wav;*.mp3;*.mp2";

struct FixedCategory {
    int index;  // row of the path grid and of imgPathLink
    const char* name;
    const char* pattern;
    const char* messageName;
    bool extendedOnly;
    int progressBefore;
};

constexpr std::array<FixedCategory, kCategoryCount> kScanOrder = {{
    {0, "Program Logs", "*.kvo", "Program Log Files", false, 3},
    {1, "Text Files", "*.*", "Text Files", true, 5},
    {2, "Video Files", "*.*", "Video Files", true, 7},
    {3, "Trigger Sets", "*.trg", "Trigger Set Files", false, 9},
    {4, "Hot Keys", "*.key", "Hot Key Files", false, 11},
    {5, "Serial Sets", "*.ser", "Serial Set Files", true, 13},
    {6, "Sched Events Sets", "*.skd", "Sched. Events Set Files", false, 15},
}};

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

void ApplyRunSpeed(Context& ctx) {
    const RunPauses pauses = RunSpeedPauses(ctx.form.cboSyncSpeed.ListIndex());
    ctx.state.SleepTimeCopy = pauses.copyMs;
    ctx.state.SleepTimeSync = pauses.syncMs;
}

void StartScanPhase(Context& ctx) {
    ctx.state.SyncInProgress = true;
    ctx.ports.yield();
    ctx.state.LastSyncTime = MsSinceMidnight(ctx);
}

void ShowScanStart(Context& ctx) {
    ctx.form.pbOverall.SetVisible(true);
    ctx.form.lblPbOverall.SetVisible(true);
    ShowOverallProgress(ctx, 3);
}

void CancelForBackupFolder(Context& ctx) {
    ShowPrompt(ctx, "The path specified for file backup is not valid.  Sync will be canceled",
               "Error Accessing Backup Directory");
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Canceled File Sync: Backup Path Invalid");
    LogLine(ctx, TimeStamp(ctx) + " - Scan    Canceled File Sync: Backup Path Invalid");
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
    if (!FolderExists(folder)) MakeFolderPath(folder);
    if (!FolderExists(folder)) {
        CancelForBackupFolder(ctx);
        return false;
    }
    ctx.state.BackupPathIsValid = true;
    return true;
}

// An unreachable pair counts as a failed run only when both of its paths were given: a
// pair the operator never set up is no failure.
void NoteUnreachablePair(Context& ctx, const std::string& local, const std::string& remote) {
    if (IsChosenEntry(local) && IsChosenEntry(remote)) ctx.state.RunHadFailure = true;
}

void LogUnreachable(Context& ctx, const std::string& messageName) {
    LogLine(ctx, TimeStamp(ctx) + " - Scan    Skipping " + messageName +
                     ": Path Unreachable or Invalid");
}

void LogDisabled(Context& ctx, const std::string& messageName) {
    LogToFileOnly(ctx, TimeStamp(ctx) + " - Skipping " + messageName + ": Path Disabled");
}

void ScanFixedCategory(Context& ctx, const FixedCategory& category) {
    Picture& indicator = ctx.form.imgPathLink[static_cast<std::size_t>(category.index)];
    const std::string local = ctx.form.LocalPathBox(category.index).Text();
    const std::string remote = ctx.form.RemotePathBox(category.index).Text();
    switch (IndicatorTagValue(indicator.Tag())) {
        case 1:
            indicator.SetPictureId(kPathLinkScanning);
            ScanFolderPair(ctx, local, remote, category.pattern, category.name);
            indicator.SetPictureId(kPathLinkActive);
            break;
        case -1:
            LogUnreachable(ctx, category.messageName);
            NoteUnreachablePair(ctx, local, remote);
            break;
        default:
            LogDisabled(ctx, category.messageName);
    }
}

void ScanFixedCategories(Context& ctx) {
    bool first = true;
    for (const FixedCategory& category : kScanOrder) {
        if (category.extendedOnly && !ctx.state.ExtendedFolders) continue;
        if (!first) ShowOverallProgress(ctx, category.progressBefore);
        first = false;
        ScanFixedCategory(ctx, category);
        ctx.ports.updateTrayIcon();
    }
}

void ScanAudioRow(Context& ctx, std::size_t row) {
    Picture& indicator = ctx.form.imgLineLink[row];
    const std::string local = ctx.form.lstLAudioPaths.Item(row);
    const std::string remote = ctx.form.lstRAudioPaths.Item(row);
    const std::string number = std::to_string(row + 1);
    switch (IndicatorTagValue(indicator.Tag())) {
        case 1:
            indicator.SetPictureId(kLineLinkScanning);
            ScanFolderPair(ctx, local, remote, kAudioPattern, "Audio Folder " + number);
            indicator.SetPictureId(kLineLinkActive);
            break;
        case -1:
            LogUnreachable(ctx, "Audio Folder " + number);
            NoteUnreachablePair(ctx, local, remote);
            break;
        default:
            LogDisabled(ctx, "Audio Folder " + number);
    }
}

void ScanAudioFolders(Context& ctx) {
    ShowOverallProgress(ctx, 17);
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
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Finished File Sync: No Files To Sync");
    LogLine(ctx, TimeStamp(ctx) + " - Sync    Finished File Sync: No Files To Sync");
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

void ReportOutcome(Context& ctx) {
    const std::size_t queued = ctx.form.lstTasksToDo.ListCount();
    if (queued == 0) {
        FinishWithNothingToDo(ctx);
    } else {
        AnnounceTasks(ctx, queued);
    }
}

}  // namespace

RunPauses RunSpeedPauses(int position) {
    if (position < 0 || position >= static_cast<int>(kRunPauses.size())) return kRunPausesNoSpeed;
    return kRunPauses[static_cast<std::size_t>(position)];
}

long AudioRowProgress(std::size_t row, std::size_t rowCount) {
    if (rowCount <= 1) return -1;
    return 20 + std::lrint(77.0 * static_cast<double>(row) / static_cast<double>(rowCount - 1));
}

void RunSync(Context& ctx) {
    ctx.ports.debug("RunSync Started");                         // 1
    LockRunControls(ctx);                                       // 2
    ApplyRunSpeed(ctx);                                         // 3
    StartScanPhase(ctx);                                        // 4
    ShowScanStart(ctx);                                         // 5
    ValidatePaths(ctx);                                         // 6
    if (!CheckBackupFolder(ctx)) return;                        // 7
    ScanFixedCategories(ctx);                                   // 8
    ScanAudioFolders(ctx);                                      // 9
    ShowOverallProgress(ctx, 98);                               // 10
    ReportOutcome(ctx);                                         // 11
    ShowOverallProgress(ctx, 100);                              // 12
    ctx.state.SyncInProgress = false;                           // 13
    if (ctx.state.SyncAndExit) ctx.state.ExitRequested = true;  // 14
}

void cmdRun_Click(Context& ctx) {
    ctx.ports.debug("cmdRun Clicked");
    ctx.form.SetFocus("txtFocus");
    RunSync(ctx);
}

}  // namespace vfs
