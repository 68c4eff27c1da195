// A real window on a real program host, in a temporary program folder with its own
// settings file, for Qt Test on the offscreen platform.
#pragma once

#include <QApplication>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "app/program_host.h"
#include "app/window_front_end.h"
#include "support/temp_dir.h"

namespace vfs::uitest {

class WindowFixture {
  public:
    WindowFixture();
    ~WindowFixture();

    // Writes the settings file: "[Settings]\nFirstRun=False\n" followed by the text.
    void Settings(const std::string& text) const;
    // A path inside the temporary folder.
    std::string operator/(const std::string& relative) const { return dir_ / relative; }

    // Start-up of the program and its window; false when it did not load.
    bool Start(const std::string& arguments = "");

    const std::string& ProgramFolder() const { return prog_; }
    app::ProgramHost& host() { return *host_; }
    ProgramState& state() { return host_->state(); }
    Context& ctx() { return host_->ctx(); }
    FormModel& form() { return host_->form(); }
    ui::MainWindow& window() { return frontEnd_->window(); }

    // The widget under a control's name ("cmdPage(2)" or "cmdPage_2").
    template <typename T>
    T* Find(const std::string& controlName) {
        return window().findChild<T*>(ui::ObjectName(controlName));
    }

    // Runs the event loop until the condition holds or the time is up.
    static bool WaitFor(const std::function<bool()>& condition, int timeoutMs);

  private:
    test::TempDir dir_;
    std::string prog_;
    std::unique_ptr<app::ProgramHost> host_;
    std::unique_ptr<app::WindowFrontEnd> frontEnd_;
};

// The geometry of a widget relative to its parent, in twips.
QRect InTwips(const QWidget* widget);

// Clicks the button of the application's message box when one appears.
void AnswerNextMessageBox(bool yes);

}  // namespace vfs::uitest
