// The windowed front end of the program host, without the application object, so that a
// test can drive a real window on the real host.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "app/program_host.h"
#include "config/tray_icon.h"
#include "ui/main_window.h"

class QSystemTrayIcon;

namespace vfs::app {

class WindowFrontEnd : public QObject {
    Q_OBJECT
  public:
    // The host's ports are pointed at the window: message boxes, the yield, the close.
    explicit WindowFrontEnd(ProgramHost& host);
    ~WindowFrontEnd() override;

    // Start-up, then the window is shown (minimised when so configured) and the tick runs.
    // False when the session is running already.
    bool Start(const std::string& argumentText);

    ui::MainWindow& window() { return *window_; }
    // Called with the exit status once the program has unloaded and its window closed.
    std::function<void(int status)> onFinished = [](int) {};

  private:
    void AddTrayIcon();
    void ShowTrayIcon();
    void RestoreFromTray(int message);
    bool TrayIconShown() const;
    void ArmTimer();
    void OnTick();
    void OnUnloaded();

    ProgramHost& host_;
    std::unique_ptr<ui::MainWindow> window_;
    // The icon's pictures and animation are the core's; the desktop's notification area
    // shows them where it has one.
    TrayIcon tray_;
    QSystemTrayIcon* trayIcon_ = nullptr;
    QTimer timer_;
};

}  // namespace vfs::app
