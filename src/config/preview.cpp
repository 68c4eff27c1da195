#include "config/preview.h"

#include "config/pages.h"
#include "engine/run_sync.h"

namespace vfs {

namespace {

constexpr int kActivityLogPage = 2;

std::string FoundText(int32_t found) {
    return found == 1 ? "1 task" : std::to_string(found) + " tasks";
}

}  // namespace

void cmdPreview_Click(Context& ctx) {
    ProgramState& s = ctx.state;
    if (s.SyncInProgress || s.CopyInProgress || ctx.form.lstTasksToDo.ListCount() > 0) return;
    ctx.form.SetFocus("txtFocus");
    cmdPage_Click(ctx, kActivityLogPage);
    // A look ahead is no sync: the auto-sync cycle still counts from the last real one.
    const int32_t lastSync = s.LastSyncTime;
    s.Preview = true;
    s.PreviewTaskCount = 0;
    RunSync(ctx);
    s.Preview = false;
    s.LastSyncTime = lastSync;
    const int32_t found = s.PreviewTaskCount;
    if (found == 0) {
        ctx.ports.messageBox("Preview",
                             "A sync now would find nothing to copy, replace or delete.  Nothing "
                             "was changed.",
                             MessageBoxButtons::Ok);
        return;
    }
    const std::string question = "A sync now would carry out " + FoundText(found) +
                                 ", listed in the activity log with the reason for each.  "
                                 "Nothing was changed.\n\nStart the sync now?";
    if (ctx.ports.messageBox("Preview", question, MessageBoxButtons::YesNo) ==
        MessageBoxAnswer::Yes) {
        cmdRun_Click(ctx);
    }
}

}  // namespace vfs
