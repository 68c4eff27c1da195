#include "config/due_check.h"

#include "config/startup.h"
#include "config/sync_settings.h"
#include "engine/activity_log.h"
#include "engine/run_controls.h"
#include "engine/run_sync.h"

namespace vfs {

namespace {

constexpr int32_t kMsPerDay = 86400000;

bool IsIdle(const Context& ctx) {
    return ctx.form.lstTasksToDo.ListCount() == 0 && !ctx.state.SyncInProgress &&
           ctx.state.SyncCycle > 0 && ctx.state.LastSyncTime >= 0;
}

void HideNextSync(Context& ctx) {
    if (ctx.form.lblNextSync.Visible()) ctx.form.lblNextSync.SetVisible(false);
    if (ctx.form.lblNextSyncTitle.Visible()) ctx.form.lblNextSyncTitle.SetVisible(false);
}

// Times of day only: a start before midnight is a day behind a time after it.
int32_t ElapsedSinceLastSync(const Context& ctx) {
    const int32_t now = MsSinceMidnight(ctx);
    const int32_t last = ctx.state.LastSyncTime;
    return now >= last ? now - last : now + kMsPerDay - last;
}

void ShowNextSync(Context& ctx) {
    int32_t next = ctx.state.LastSyncTime + ctx.state.SyncCycle;
    if (next > kMsPerDay) next -= kMsPerDay;
    ctx.form.lblNextSync.SetCaption(FormatMsAsTime(next));
    if (!ctx.form.lblNextSync.Visible()) ctx.form.lblNextSync.SetVisible(true);
    if (!ctx.form.lblNextSyncTitle.Visible()) ctx.form.lblNextSyncTitle.SetVisible(true);
}

}  // namespace

void DueCheck(Context& ctx) {
    // Only an idle program closes or starts anything.
    if (!IsIdle(ctx)) {
        HideNextSync(ctx);
        return;
    }
    // An exit asked for while busy happens now. Nothing more is started in this tick: a run
    // begun here would be cut off by the close that is already under way.
    if (ctx.state.ExitRequested) {
        ctx.ports.closeMainWindow(kCloseByProgram);
        return;
    }
    // Nothing is scheduled.
    if (!ctx.state.AutoSync && !ctx.state.StartupSyncPending) {
        HideNextSync(ctx);
        ctx.ports.updateTrayIcon();
        return;
    }
    // One cycle after the previous start the next run is due.
    if (ElapsedSinceLastSync(ctx) >= ctx.state.SyncCycle) StartAutomaticRun(ctx);
    // Show when the next run comes.
    ShowNextSync(ctx);
}

void StartAutomaticRun(Context& ctx) {
    ctx.state.StartupSyncPending = false;
    ctx.state.SyncInProgress = true;
    ctx.ports.updateTrayIcon();
    LockRunControls(ctx);
    RunSync(ctx);
}

}  // namespace vfs
