// The message window (frmUserPrompt): modeless, owned by the main window, one at a time.
// It shows a line in full or a notice such as "Sync In Progress".
#pragma once

#include <QDialog>

#include "engine/context.h"
#include "ui/form_binding.h"

namespace vfs::ui {

class UserPrompt : public QDialog {
    Q_OBJECT
  public:
    UserPrompt(Context& ctx, FormBinding& bind, QWidget* owner);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void ShowOrHide();

    Context& ctx_;
    QWidget* owner_;
};

}  // namespace vfs::ui
