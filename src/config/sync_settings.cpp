#include "config/sync_settings.h"

#include "config/settings_store.h"
#include "engine/activity_log.h"
#include "engine/text_helpers.h"
#include "form/speed_levels.h"
#include "platform/priority.h"

namespace vfs {

namespace {

constexpr int32_t kMsPerHour = 3600000;
constexpr int32_t kMsPerMinute = 60000;
constexpr int32_t kMsPerSecond = 1000;

// Index of the item whose data is the value, -1 when the list has none.
int PositionOfItemData(const ListBox& list, long value) {
    for (std::size_t i = 0; i < list.ListCount(); ++i) {
        if (list.ItemData(i) == value) return static_cast<int>(i);
    }
    return -1;
}

// SyncCycle from the selected item of a cycle list, then the status line. Nothing
// selected leaves the cycle as it was.
void TakeCycleFrom(Context& ctx, const ListBox& list) {
    const int selected = list.ListIndex();
    if (selected < 0) return;
    ctx.state.SyncCycle = static_cast<int32_t>(list.ItemData(static_cast<std::size_t>(selected)));
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - Synchronization Cycle Time Changed to " +
                                  FormatMsAsTime(ctx.state.SyncCycle));
}

}  // namespace

std::string FormatMsAsTime(int32_t ms) {
    // Whole hours, minutes and seconds, truncated.
    const int32_t h = ms / kMsPerHour;
    const int32_t totalMinutes = ms / kMsPerMinute;
    const int32_t totalSeconds = ms / kMsPerSecond;
    // The parts below the hour.
    const int32_t m = totalMinutes - 60 * h;
    const int32_t s = totalSeconds - (60 * m + 3600 * h);
    // Hours only when there are any; minutes and seconds always, "00" when none.
    const std::string hours = h > 0 ? TwoDigits(h) + ":" : "";
    const std::string minutes = m > 0 ? TwoDigits(m) + ":" : "00:";
    const std::string seconds = s > 0 ? TwoDigits(s) : "00";
    return hours + minutes + seconds;
}

void SetSyncCycleLists(Context& ctx, int32_t cycleMs) {
    const int listPosition = PositionOfItemData(ctx.form.lstSyncCycle, cycleMs);
    const int comboPosition = PositionOfItemData(ctx.form.cboSyncCycle, cycleMs);
    if (listPosition < 0 || comboPosition < 0) return;
    // The one-row list shows its selected row at the top.
    ctx.form.lstSyncCycle.SetListIndex(listPosition);
    ctx.form.lstSyncCycle.SetTopIndex(listPosition);
    lstSyncCycle_Click(ctx);
    ctx.form.cboSyncCycle.SetListIndex(comboPosition);
    cboSyncCycle_Click(ctx);
}

void lstSyncCycle_Click(Context& ctx) {
    // Scrolling the one-row list brings a row into view: that row is the choice.
    ListBox& list = ctx.form.lstSyncCycle;
    list.SetListIndex(list.TopIndex());
    TakeCycleFrom(ctx, list);
}

void cboSyncCycle_Click(Context& ctx) {
    TakeCycleFrom(ctx, ctx.form.cboSyncCycle);
}

void btnAutoSync_Click(Context& ctx) {
    ctx.form.SetFocus("txtFocus");
    // Ticking or clearing the box runs its handler, which switches AutoSync and the button.
    ctx.form.chkAutoSync.SetValue(ctx.state.AutoSync ? 0 : 1);
    chkAutoSync_Click(ctx);
}

void chkAutoSync_Click(Context& ctx) {
    ctx.state.AutoSync = ctx.form.chkAutoSync.Checked();
    ShowAutoSyncState(ctx, ctx.state.AutoSync);
}

void ShowAutoSyncState(Context& ctx, bool on) {
    Button& button = ctx.form.btnAutoSync;
    button.SetPicture(on ? "imgAutoSyncOn" : "imgAutoSyncOff");
    button.SetDisabledPicture(on ? "imgAutoSyncOnDisabled" : "imgAutoSyncOffDisabled");
    button.SetToolTip(on ? "Auto-Sync Enabled" : "Auto-Sync Disabled");
    ctx.form.chkAutoSync.SetValue(on ? 1 : 0);
}

void cboSyncSpeed_Click(Context& ctx) {
    // Set at once, so the choice governs the remaining copies of a run under way.
    const SpeedPauses pauses = OnSelectionPauses(ctx.form.cboSyncSpeed.ListIndex());
    ctx.state.SleepTimeCopy = pauses.copyMs;
    ctx.state.SleepTimeSync = pauses.syncMs;
}

void cboPriority_Click(Context& ctx) {
    // Without a chosen row there is no level to take; the loaded one stays.
    const int position = ctx.form.cboPriority.ListIndex();
    if (position < 0) return;
    // List position p stands for level p + 1: the most urgent level (0) is never chosen
    // here, only loaded.
    ctx.state.AppPriority = position + 1;
    // The level is kept even when the system refuses it.
    SaveInit(ctx, "Settings", "AppPriority", ctx.state.AppPriority);
    // Apply it and say whether the system took it.
    const bool applied = SetAppPriority(static_cast<int16_t>(ctx.state.AppPriority));
    ctx.form.lblResult.SetCaption(applied ? "Priority Setting Confirmed"
                                          : "Priority Setting Not Confirmed");
}

}  // namespace vfs
