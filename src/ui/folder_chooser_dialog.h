// The folder chooser's window: renders the chooser's plain-data controls and forwards the
// operator's actions to it. One instance, owned by the main window and shown without
// blocking it.
#pragma once

#include <QDeadlineTimer>
#include <QDialog>
#include <QTimer>
#include <string>
#include <vector>

#include "config/folder_chooser.h"
#include "ui/form_binding.h"

class QFileSystemModel;
class QTreeView;

namespace vfs::ui {

// The notice beside the folder tree: coloured text with a one-pixel black outline, so it
// reads on any background.
class OutlinedNotice : public QWidget {
    Q_OBJECT
  public:
    OutlinedNotice(const QColor& colour, QWidget* parent);
    void setText(const QString& text);
    const QString& text() const { return text_; }
    QColor colour() const { return colour_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor colour_;
    QString text_;
};

class FolderChooserDialog : public QDialog {
    Q_OBJECT
  public:
    // drives: the drive list to offer (the system's mount points in the program).
    FolderChooserDialog(Context& ctx, std::vector<std::string> drives, QWidget* owner);
    ~FolderChooserDialog() override;

    FolderChooser& chooser() { return chooser_; }

    // A browse button of the main window: the chooser is set up for that target, then the
    // dialog is shown and brought to the front.
    void Browse(int browseIndex);

  public slots:
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    void BuildControls();
    void BuildFolderTree();
    void BuildNotices();
    void ShowFolderInTree();
    void FollowVisibility();

    Context& ctx_;
    FolderChooser chooser_;
    FormBinding bind_;
    QFileSystemModel* folders_ = nullptr;
    QTreeView* tree_ = nullptr;
    QTimer noticeTimer_;
    QDeadlineTimer followCurrent_{0};
};

}  // namespace vfs::ui
