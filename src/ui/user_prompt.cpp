#include "ui/user_prompt.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/activity_log.h"
#include "engine/log_page.h"

namespace vfs::ui {

UserPrompt::UserPrompt(Context& ctx, FormBinding& bind, QWidget* owner)
    : QDialog(owner), ctx_(ctx), owner_(owner) {
    setObjectName(QStringLiteral("frmUserPrompt"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    QLabel* message = bind.Label(ctx.form.lblMessage, this, QRect());
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    message->setMinimumWidth(420);
    layout->addWidget(message);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    connect(ok, &QPushButton::clicked, this, [this] { btnOK_Click(ctx_); });
    bind.OnChange(ctx.form.frmUserPrompt.Name(), [this] { ShowOrHide(); });
}

void UserPrompt::ShowOrHide() {
    setWindowTitle(QString::fromStdString(ctx_.form.frmUserPrompt.Caption()));
    if (!ctx_.form.frmUserPrompt.Visible()) {
        hide();
        return;
    }
    // The prompt is never left behind a minimised main window.
    if (owner_->isVisible() && owner_->isMinimized()) owner_->showNormal();
    adjustSize();
    show();
    raise();
}

// Closing by the title bar is the same as OK.
void UserPrompt::closeEvent(QCloseEvent* event) {
    if (ctx_.state.PromptOpen) ClosePrompt(ctx_);
    event->accept();
}

}  // namespace vfs::ui
