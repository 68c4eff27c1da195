// The main window (frmMain): the top bar, the four pages behind their tab buttons and the
// bottom area, every control bound to the form model under its own name. The window
// decides nothing itself: clicks go to the program's handlers, the close box and the
// minimise button to the front end.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "config/help.h"
#include "engine/context.h"
#include "ui/form_binding.h"

class QPushButton;

namespace vfs::ui {

class UserPrompt;
class FolderChooserDialog;
class HelpWindows;

// The client area in pixels: 11430 x 7500 twips.
inline constexpr int kClientWidth = 762;
inline constexpr int kClientHeight = 500;

struct WindowFrontEnd {
    // A close request with its reason (the close box is reason 0).
    std::function<void(int reason)> requestClose = [](int) {};
    // A notification icon is shown, so a minimised window may leave the task bar.
    std::function<bool()> trayIconShown = [] { return false; };
};

class MainWindow : public QWidget {
    Q_OBJECT
  public:
    MainWindow(Context& ctx, WindowFrontEnd frontEnd);
    ~MainWindow() override;

    // After the unload the close box closes the window for good.
    void AllowClose() { closeAllowed_ = true; }
    FormBinding& binding() { return bind_; }
    // The companions: the folder chooser, and the help with the windows it opened.
    FolderChooserDialog& chooserDialog() { return *chooser_; }
    HtmlHelp& help() { return *help_; }
    HelpWindows& helpWindows() { return *helpWindows_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void BuildTopBar();
    void BuildPages();
    void BuildBottomArea();
    void BuildFocusSink();
    void BuildHelp();
    void FollowPageForHelp();
    void BindWindow();
    void RestackTabs();
    void MoveFocusToModel();

    Context& ctx_;
    WindowFrontEnd frontEnd_;
    FormBinding bind_;
    std::array<QPushButton*, 4> tabs_{};
    std::array<QWidget*, 4> pages_{};
    UserPrompt* prompt_ = nullptr;
    FolderChooserDialog* chooser_ = nullptr;
    HelpWindows* helpWindows_ = nullptr;
    std::unique_ptr<HtmlHelp> help_;
    // The main window's F1 handler; the help object's list owns it, and it is gone once
    // the window has closed.
    FormHelpHandler* helpHandler_ = nullptr;
    int64_t helpId_ = 0;
    bool closeAllowed_ = false;
};

}  // namespace vfs::ui
