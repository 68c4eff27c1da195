// The program's own help viewer: help windows that show the HTML help beside the program,
// with the table of contents in a pane of their own. They open without blocking, belong to
// the window that asked for them and close with it.
#pragma once

#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <map>
#include <string>

#include "config/help.h"

class QTextBrowser;
class QUrl;

namespace vfs::ui {

class HelpWindow : public QWidget {
    Q_OBJECT
  public:
    // helpFolder: the folder of the help pages, which holds contents.html.
    HelpWindow(const QString& helpFolder, QWidget* owner);
    void ShowPage(const QUrl& page);
    QTextBrowser* contents() const { return contents_; }
    QTextBrowser* topic() const { return topic_; }
    bool closing() const { return closing_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QTextBrowser* contents_ = nullptr;
    QTextBrowser* topic_ = nullptr;
    bool closing_ = false;
};

// Names windows by non-zero ids for the help component and is its viewer: it opens help
// windows for a caller window, answers whether one still exists and closes one.
class HelpWindows : public QObject {
    Q_OBJECT
  public:
    explicit HelpWindows(QObject* parent = nullptr);

    // The id of a window, given on first use.
    int64_t IdOf(QWidget* window);
    QWidget* WindowOf(int64_t id) const;
    // The open help windows (not yet closed).
    QList<HelpWindow*> OpenHelpWindows() const;

    HelpViewer Viewer();

  private:
    int64_t Open(int64_t caller, const std::string& helpFile, const HelpRequest& request);
    bool Exists(int64_t id) const;
    void Close(int64_t id);

    std::map<int64_t, QPointer<QWidget>> windows_;
    int64_t nextId_ = 1;
};

// The folder that holds the "help" folder: beside the executable, or for an installed
// program the program's share folder.
std::string HelpProgramFolder();

}  // namespace vfs::ui
