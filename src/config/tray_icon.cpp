#include "config/tray_icon.h"

#include "engine/activity_log.h"

namespace vfs {

namespace {

std::string FramePicture(const char* set, int frame) {
    return set + std::to_string(frame);
}

}  // namespace

std::string TaskBarIconPicture(int frame) {
    return FramePicture("taskBarIcon", frame);
}
std::string TaskBarScanIconPicture(int frame) {
    return FramePicture("taskBarScanIcon", frame);
}
std::string TaskBarCopyIconPicture(int frame) {
    return FramePicture("taskBarCopyIcon", frame);
}

std::string TrayToolTip(const std::string& sessionSuffix, const std::string& lastRunTrouble) {
    std::string text = "Restore Varnel File Sync";
    if (!sessionSuffix.empty()) text += " [" + sessionSuffix + "]";
    if (!lastRunTrouble.empty()) text += "\nLast Sync: " + lastRunTrouble;
    return text;
}

void TrayIcon::ShowIdle(Context& ctx) {
    const std::string& trouble = ctx.state.LastRunTrouble;
    const std::string toolTip = TrayToolTip(ctx.state.SessionSuffix, trouble);
    const std::string picture = trouble.empty() ? kStandardTaskBarIcon : kTroubleTaskBarIcon;
    if (toolTip == toolTip_ && picture == picture_) return;
    toolTip_ = toolTip;
    picture_ = picture;
    if (changed) changed();
}

void TrayIcon::Show(const std::string& picture) {
    if (picture == picture_) return;
    picture_ = picture;
    if (changed) changed();
}

void TrayIcon::AddTrayIcon(Context& ctx) {
    TrayIconFrame = 0;
    TrayIconSet = kTraySetIdle;
    // Frame 0 of the waiting set is the idle icon itself.
    picture_ = TaskBarIconPicture(0);
    toolTip_ = TrayToolTip(ctx.state.SessionSuffix);
    added_ = true;
    TrayIconLastUpdate = MsSinceMidnight(ctx);
    if (changed) changed();
}

void TrayIcon::RemoveTrayIcon() {
    if (!added_) return;
    added_ = false;
    if (changed) changed();
}

// Copying animates through 11 steps (8 pictures, then 3 standing), scanning and waiting
// through their 8 pictures. Idle restores the idle icon once; with auto-sync on it then
// plays the waiting frames every 32 steps in the notification area only, so the operator
// sees the program is alive.
void TrayIcon::UpdateTrayIcon(Context& ctx) {
    const int32_t now = MsSinceMidnight(ctx);
    // Midnight passed: the counter starts again.
    if (now < TrayIconLastUpdate) {
        TrayIconLastUpdate = now;
        return;
    }
    if (TrayIconLastUpdate + timerIntervalMs_ > now) return;

    auto showBoth = [&](const std::string& picture) {
        Show(picture);
        ctx.form.picIcon.SetPictureId(picture);
    };
    if (ctx.state.CopyInProgress) {
        if (TrayIconFrame > 10) TrayIconFrame = 0;
        if (TrayIconFrame < kTrayFramesPerSet) showBoth(TaskBarCopyIconPicture(TrayIconFrame));
        TrayIconSet = kTraySetCopying;
    } else if (ctx.state.SyncInProgress) {
        if (TrayIconFrame > 7) TrayIconFrame = 0;
        showBoth(TaskBarScanIconPicture(TrayIconFrame));
        TrayIconSet = kTraySetScanning;
    } else if (ctx.form.lstTasksToDo.ListCount() > 0) {
        if (TrayIconFrame > 7) TrayIconFrame = 0;
        showBoth(TaskBarIconPicture(TrayIconFrame));
        TrayIconSet = kTraySetWaiting;
    } else {
        if (TrayIconSet != kTraySetIdle) {
            ctx.form.picIcon.SetPictureId(kStandardTaskBarIcon);
            ShowIdle(ctx);
            TrayIconSet = kTraySetIdle;
            TrayIconFrame = 0;
            TrayIconLastUpdate = now;
            return;
        }
        if (!ctx.state.AutoSync) {
            TrayIconLastUpdate = now;
            return;
        }
        if (TrayIconFrame < kTrayFramesPerSet) {
            Show(TaskBarIconPicture(TrayIconFrame));
        } else if (TrayIconFrame == kTrayFramesPerSet) {
            ShowIdle(ctx);
        } else if (TrayIconFrame >= 31) {
            TrayIconFrame = 0;
            TrayIconLastUpdate = now;
            return;
        }
    }
    ++TrayIconFrame;
    TrayIconLastUpdate = now;
}

bool TrayIcon_MouseMessage(Context& ctx, int message) {
    ctx.state.MinimizedToTray = false;
    if (message != kTrayLeftButtonDown && message != kTrayRightButtonUp) return false;
    ctx.form.frmMain.SetVisible(true);
    return true;
}

void ConnectTrayIcon(Context ctx, TrayIcon& icon) {
    ctx.ports.updateTrayIcon = [ctx, &icon]() mutable { icon.UpdateTrayIcon(ctx); };
}

}  // namespace vfs
