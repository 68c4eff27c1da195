#include "config/startup.h"

#include <cctype>
#include <cstdlib>

#include "config/record_places.h"
#include "config/reload_paths.h"
#include "config/settings_store.h"
#include "config/sync_settings.h"
#include "engine/activity_log.h"
#include "engine/copy_progress.h"
#include "engine/file_helpers.h"
#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "engine/text_helpers.h"
#include "platform/affinity.h"
#include "platform/priority.h"

namespace vfs {

namespace {

constexpr int32_t kMsPerDay = 86400000;
constexpr int32_t kStartupSyncDelayMs = 3000;

std::string UpperCase(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Both the caption and the file of a session carry the same marker.
std::string SessionMarker(const Context& ctx) {
    return kInstanceMarker + ctx.state.SessionSuffix;
}

void ShowVersion(Context& ctx) {
    ctx.form.lblVersion.SetCaption("Version\r\n" + std::to_string(VFS_VERSION_MAJOR) + "." +
                                   std::to_string(VFS_VERSION_MINOR) + "." +
                                   std::to_string(VFS_VERSION_PATCH));
}

void BindToProcessors() {
    platform::SetProcessAffinity(platform::AffinityMaskFor(std::getenv("NUMBER_OF_PROCESSORS")));
}

void SetSettingsFolder(Context& ctx) {
    std::string folder = TrimSpaces(ctx.ports.programFolder);
    if (folder.empty() || folder.back() != kSep) folder += kSep;
    ctx.state.SettingsFolder = folder;
}

void ShowFirstPage(Context& ctx) {
    ctx.form.frmPaths.SetVisible(true);
    ctx.form.frmSettings.SetVisible(false);
    ctx.form.frmLog.SetVisible(false);
    ctx.form.frmControls.SetVisible(false);
    for (std::size_t page = 0; page < ctx.form.cmdPage.size(); ++page) {
        ctx.form.cmdPage[page].SetEnabled(page != 0);
    }
    ctx.form.SetFocus("txtFocus");
}

std::string MainCaption(const std::string& sessionSuffix) {
    if (sessionSuffix.empty()) return "Varnel File Sync";
    return "Varnel File Sync - Session " + sessionSuffix;
}

// Levels 1..5 are list positions 0..4. Any other stored level leaves the list without a
// position and the handler does not run, so that level stays as loaded.
void FillPriorityList(Context& ctx) {
    ListBox& list = ctx.form.cboPriority;
    list.Clear();
    for (const char* item : {"High", "Above Normal", "Normal", "Below Normal", "Low"}) {
        list.AddItem(item);
    }
    const int position = ctx.state.AppPriority - 1;
    if (position < 0 || position >= static_cast<int>(list.ListCount())) return;
    list.SetListIndex(position);
    cboPriority_Click(ctx);
}

// The first sync falls due three seconds from now: its "previous start" is placed one
// cycle minus three seconds back, on the previous day when that is before midnight.
void ScheduleStartupSync(Context& ctx) {
    if (!ctx.state.AutoStart && !ctx.state.SyncAndExit) return;
    int32_t last = MsSinceMidnight(ctx) - ctx.state.SyncCycle + kStartupSyncDelayMs;
    if (last < 0) last += kMsPerDay;
    ctx.state.LastSyncTime = last;
    ctx.state.StartupSyncPending = true;
}

bool IsBusy(const Context& ctx) {
    return ctx.state.SyncInProgress || ctx.state.CopyInProgress ||
           ctx.form.lstTasksToDo.ListCount() > 0;
}

// A close while work is pending: the program closes itself once idle, and the remaining
// work runs at the higher priority without pauses.
void DeferCloseUntilIdle(Context& ctx, int reason) {
    if (reason != kCloseSessionEnding) {
        ShowPrompt(ctx,
                   "Varnel File Sync is currently performing a file sync.\r\n\r\n"
                   "Varnel File Sync will exit automatically as soon as the sync process is "
                   "complete",
                   "Sync In Progress");
    }
    ctx.state.ExitRequested = true;
    SetAppPriority(1);
    ctx.state.SleepTimeSync = 0;
    ctx.state.SleepTimeCopy = 0;
}

}  // namespace

std::string JoinArguments(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}

CommandLine ParseCommandLine(const std::string& argumentText) {
    const std::string text = UpperCase(argumentText);
    CommandLine line;
    for (char n = '2'; n <= '9' && line.SessionSuffix.empty(); ++n) {
        if (text.find(std::string("SESSION=") + n) != std::string::npos ||
            text.find(std::string("SESSION:") + n) != std::string::npos) {
            line.SessionSuffix = std::string(1, n);
        }
    }
    line.SyncAndExit = text.find("SYNCANDEXIT") != std::string::npos;
    line.Headless = text.find("HEADLESS") != std::string::npos;
    line.Preview = text.find("PREVIEW") != std::string::npos;
    return line;
}

std::string AlreadyRunningTitle(const std::string& sessionSuffix) {
    if (sessionSuffix.empty()) return "Session Already Running";
    return "Session " + sessionSuffix + " Already Running";
}

std::string AlreadyRunningText(const std::string& sessionSuffix) {
    if (sessionSuffix.empty()) {
        return "An instance of Varnel File Sync is already running.  This session will now be "
               "closed.";
    }
    return "An instance of Varnel File Sync is already running for session " + sessionSuffix +
           ".  This session will now be closed.";
}

LoadResult FormLoad(Context& ctx, const std::string& argumentText, platform::InstanceLock& lock) {
    ShowVersion(ctx);
    BindToProcessors();
    ctx.form.chkLogToFile.SetCaption("Log Completed Tasks to File:  " + TaskLogFolder(ctx));
    SetSettingsFolder(ctx);
    ShowFirstPage(ctx);
    const CommandLine commandLine = ParseCommandLine(argumentText);
    ctx.state.SessionSuffix = commandLine.SessionSuffix;
    // Known before any file is touched, so that nothing below writes in a preview.
    ctx.state.Preview = commandLine.Preview;
    ctx.form.frmMain.SetCaption("Detecting Session...");
    // Taking the lock is both the check and the marker: no gap between the two in which a
    // second instance could slip through.
    if (!lock.Acquire(SessionMarker(ctx))) {
        ctx.ports.messageBox(AlreadyRunningTitle(ctx.state.SessionSuffix),
                             AlreadyRunningText(ctx.state.SessionSuffix), MessageBoxButtons::Ok);
        return LoadResult::AlreadyRunning;
    }
    // Without a record that can be read and saved, a sync would undo the operator's
    // deletions on its next run; nothing is loaded, so nothing is saved over either.
    if (auto problem = FindRecordProblem(ctx)) {
        ctx.ports.messageBox(problem->title, problem->message, MessageBoxButtons::Ok);
        return LoadResult::RecordUnusable;
    }
    ctx.form.frmMain.SetCaption(MainCaption(ctx.state.SessionSuffix));
    // Pending state files left by an earlier run of this session; only now is it certain
    // that they belong to no running instance.
    DeleteAllStateFiles(ctx, true);
    LoadSettings(ctx);
    ValidatePaths(ctx);
    ctx.form.lblStatus.SetCaption("");
    ReportUnreadableSettings(ctx);
    if (ctx.state.AutomationSettingsMissing) {
        ReportNoAutomationSettings(ctx, ToInt16(IniValue(ctx.state.SessionSuffix).Val()), true);
    }
    FillPriorityList(ctx);
    // A preview is one scan of every pair, then the end.
    ctx.state.SyncAndExit = commandLine.SyncAndExit || commandLine.Preview;
    ScheduleStartupSync(ctx);
    return LoadResult::Loaded;
}

bool QueryUnload(Context& ctx, int reason) {
    // The operator confirms a close of their own.
    if (reason == kCloseByUser &&
        ctx.ports.messageBox("Confirm Exit", "Are you sure you want to exit Varnel File Sync",
                             MessageBoxButtons::YesNo) != MessageBoxAnswer::Yes) {
        return false;
    }
    // The reason is kept at once.
    SaveInit(ctx, "Settings", "UnloadMode", reason);
    // Work in progress is finished first, unless an exit was already asked for.
    if (!ctx.state.ExitRequested && IsBusy(ctx)) {
        DeferCloseUntilIdle(ctx, reason);
        return false;
    }
    // Nothing holds the close back.
    return true;
}

void FormUnload(Context& ctx, platform::InstanceLock& lock,
                const std::function<void()>& stopTimer) {
    if (stopTimer) stopTimer();
    if (ctx.state.CopyInProgress) CancelCopy(ctx);
    ctx.state.FileChooserOpen = false;
    if (ctx.state.PromptOpen) ClosePrompt(ctx);
    SaveSettings(ctx);
    // The pending state files go while the session is still held: once the lock is free, a
    // new instance of this session may already be writing pending files of its own.
    DeleteAllStateFiles(ctx, true);
    lock.Release();
}

}  // namespace vfs
