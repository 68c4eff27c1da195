// The notification-area icon: which picture it shows while the program is idle, has tasks
// waiting, scans or copies, its small frame animations, its tooltip and the mouse events
// that bring the main window back. Plain code on the injected clock; the window renders
// `picture` and `toolTip` with the platform's notification icon where the desktop has one.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/context.h"

namespace vfs {

// The pictures, by resource name: the idle icon and three sets of eight frames.
inline constexpr const char* kStandardTaskBarIcon = "StandardTaskBarIcon";
// The idle icon after a run in which something failed or stopped.
inline constexpr const char* kTroubleTaskBarIcon = "taskBarTroubleIcon";
inline constexpr int kTrayFramesPerSet = 8;
std::string TaskBarIconPicture(int frame);      // tasks waiting, auto-sync idle animation
std::string TaskBarScanIconPicture(int frame);  // scanning
std::string TaskBarCopyIconPicture(int frame);  // copying

// The picture set last shown (TrayIconSet).
inline constexpr int16_t kTraySetIdle = 0;
inline constexpr int16_t kTraySetWaiting = 1;
inline constexpr int16_t kTraySetScanning = 2;
inline constexpr int16_t kTraySetCopying = 3;

// The icon's mouse messages that restore the window: left button pressed, right button
// released. Other messages (moves, double-clicks, other buttons) do nothing further.
inline constexpr int kTrayLeftButtonDown = 513;
inline constexpr int kTrayRightButtonUp = 517;

// "Restore Varnel File Sync", with the session in square brackets outside the default one,
// and after a run in which something failed or stopped, what it came to.
std::string TrayToolTip(const std::string& sessionSuffix, const std::string& lastRunTrouble = "");

class TrayIcon {
  public:
    // timerIntervalMs: the main timer's interval; at most one animation step per interval,
    // however often the step is called.
    explicit TrayIcon(int32_t timerIntervalMs = 100) : timerIntervalMs_(timerIntervalMs) {}

    // Animation state.
    int16_t TrayIconFrame = 0;
    int16_t TrayIconSet = kTraySetIdle;
    int32_t TrayIconLastUpdate = 0;  // ms since local midnight of the last step

    // What the notification area shows: registered or not, the picture and the tooltip.
    bool added() const { return added_; }
    const std::string& picture() const { return picture_; }
    const std::string& toolTip() const { return toolTip_; }
    // Told after every change of the above, so the window redraws the icon.
    std::function<void()> changed;

    // Registers the icon with the idle picture and the session's tooltip. Called once at
    // start-up, after the settings are loaded.
    void AddTrayIcon(Context& ctx);
    // One animation step (see the .cpp for the cycles). Also mirrors the busy frames into
    // picIcon of the main window.
    void UpdateTrayIcon(Context& ctx);
    // Removes the icon at shutdown.
    void RemoveTrayIcon();

  private:
    void Show(const std::string& picture);
    // The idle picture and the tooltip as the last run leaves them.
    void ShowIdle(Context& ctx);

    int32_t timerIntervalMs_;
    bool added_ = false;
    std::string picture_;
    std::string toolTip_;
};

// The icon's mouse message reached the main window: MinimizedToTray is cleared, and on a
// left press or a right release the main window is shown again. Answers true when the window
// is to be restored to its normal state (the window then shows and raises itself).
bool TrayIcon_MouseMessage(Context& ctx, int message);

// Routes the core's tray refresh (Ports::updateTrayIcon: timer tick, run stages, scan, copy
// progress) to this icon's animation step. The icon and the context's parts must outlive the
// ports.
void ConnectTrayIcon(Context ctx, TrayIcon& icon);

}  // namespace vfs
