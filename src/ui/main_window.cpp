#include "ui/main_window.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <utility>

#include "config/folder_chooser.h"
#include "config/pages.h"
#include "config/preview.h"
#include "config/sync_settings.h"
#include "engine/run_sync.h"
#include "ui/folder_chooser_dialog.h"
#include "ui/help_window.h"
#include "ui/pages.h"
#include "ui/pictures.h"
#include "ui/twips.h"
#include "ui/user_prompt.h"

namespace vfs::ui {

namespace {

// The page area and its outline: left and bottom edges, the right edge, and a top edge
// only right of the tab buttons (left of it the tabs themselves form the edge).
constexpr int kPageLeft = 105;
constexpr int kPageTop = 495;
constexpr int kPageWidth = 11220;
constexpr int kPageHeight = 5805;
constexpr int kOutlineLeft = 90;
constexpr int kOutlineRight = 11340;
constexpr int kOutlineTop = 480;
constexpr int kOutlineBottom = 6315;
constexpr int kOutlineTopFrom = 5400;

// The tab buttons' design places: left and width; their top and height come from the model.
constexpr int kTabLeft[] = {105, 1875, 3645, 7275};
constexpr int kTabWidth[] = {1770, 1770, 1770, 1155};

// The focus sink stays empty whatever reaches it.
class FocusSinkFilter : public QObject {
  public:
    FocusSinkFilter(TextBox& model, QObject* parent) : QObject(parent), model_(model) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease || event->type() == QEvent::FocusOut) {
            model_.SetText("");
            if (auto* edit = qobject_cast<QLineEdit*>(watched)) edit->clear();
        }
        return false;
    }

  private:
    TextBox& model_;
};

}  // namespace

MainWindow::MainWindow(Context& ctx, WindowFrontEnd frontEnd)
    : QWidget(nullptr), ctx_(ctx), frontEnd_(std::move(frontEnd)), bind_(ctx.form) {
    setObjectName(QStringLiteral("frmMain"));
    setFixedSize(kClientWidth, kClientHeight);
    setWindowIcon(PictureIcon("program"));
    // The layout was drawn for a small dialog font; captions are sized to it.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    chooser_ = new FolderChooserDialog(ctx_, SystemDriveList(), this);
    BuildHelp();
    BuildPages();
    BuildTopBar();
    BuildBottomArea();
    BuildFocusSink();
    prompt_ = new UserPrompt(ctx_, bind_, this);
    BindWindow();
    RestackTabs();
    FollowPageForHelp();
}

// The help windows close before the window's own widgets go.
MainWindow::~MainWindow() {
    help_.reset();
}

void MainWindow::BuildHelp() {
    helpWindows_ = new HelpWindows(this);
    help_ = std::make_unique<HtmlHelp>(ctx_.ports, helpWindows_->Viewer(), HelpProgramFolder());
    helpId_ = helpWindows_->IdOf(this);
    helpHandler_ = help_->InitFormHelpHandler(helpId_, HelpContextForPage(0), true);
    // The window sees F1 before the control that has the focus.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        int keyCode = kKeyF1;
        if (helpHandler_) helpHandler_->KeyDown(keyCode);
    });
    const int64_t chooserId = helpWindows_->IdOf(chooser_);
    help_->InitFormHelpHandler(chooserId, kHelpContextFolderChooser, false);
    auto* chooserF1 = new QShortcut(QKeySequence(Qt::Key_F1), chooser_);
    connect(chooserF1, &QShortcut::activated, this, [this, chooserId] {
        int keyCode = kKeyF1;
        if (FormHelpHandler* handler = help_->HandlerOf(chooserId)) handler->KeyDown(keyCode);
    });
}

// The window's help topic is the page on show: the page whose tab cannot be clicked.
void MainWindow::FollowPageForHelp() {
    for (std::size_t page = 0; page < tabs_.size(); ++page) {
        bind_.OnChange(ctx_.form.cmdPage[page].Name(), [this] {
            for (std::size_t shown = 0; shown < tabs_.size(); ++shown) {
                if (helpHandler_ && !ctx_.form.cmdPage[shown].Enabled())
                    helpHandler_->setHelpContext(HelpContextForPage(static_cast<int>(shown)));
            }
        });
    }
}

void MainWindow::BuildTopBar() {
    FormModel& form = ctx_.form;
    for (int page = 0; page < 4; ++page) {
        Button& tab = form.cmdPage[static_cast<std::size_t>(page)];
        const int top = page == 0 ? 75 : (page == 3 ? 60 : 105);
        const int height = page == 0 ? 450 : 390;
        tabs_[static_cast<std::size_t>(page)] =
            bind_.Button(tab, this, TwipsRect(kTabLeft[page], top, kTabWidth[page], height),
                         [this, page] { cmdPage_Click(ctx_, page); });
        bind_.OnChange(tab.Name(), [this] { RestackTabs(); });
        // The tab of the page on show cannot be clicked, but it does not look greyed out.
        QPushButton* button = tabs_[static_cast<std::size_t>(page)];
        QPalette palette = button->palette();
        palette.setColor(QPalette::Disabled, QPalette::ButtonText,
                         palette.color(QPalette::Active, QPalette::ButtonText));
        palette.setColor(QPalette::Disabled, QPalette::Button,
                         palette.color(QPalette::Active, QPalette::Window));
        button->setPalette(palette);
    }
    QPushButton* run = bind_.Button(form.cmdRun, this, TwipsRect(5610, 90, 345, 330),
                                    [this] { cmdRun_Click(ctx_); });
    run->setIcon(PictureIcon("cmdRun"));
    QWidget* iconBox = bind_.Frame(form.picIconBox, this, TwipsRect(5610, 90, 345, 330));
    bind_.Indicator(form.picIcon, iconBox, QRect(0, 0, Px(345), Px(330)), {});
    bind_.Button(form.btnAutoSync, this, TwipsRect(5955, 90, 345, 330),
                 [this] { btnAutoSync_Click(ctx_); });
    bind_.Button(form.cmdPreview, this, TwipsRect(6945, 90, 1035, 330),
                 [this] { cmdPreview_Click(ctx_); });
    QPushButton* help = bind_.Button(form.Command1, this, TwipsRect(6540, 90, 345, 330),
                                     [this] { Command1_Click(ctx_, *help_, helpId_); });
    help->setIcon(PictureIcon("Command1"));
    help->setToolTip(QStringLiteral("Help"));
    for (QPushButton* button : {run, help, findChild<QPushButton*>(QStringLiteral("btnAutoSync"))})
        button->setIconSize(QSize(Px(345) - 6, Px(330) - 6));

    auto* clockTitle = new QLabel(QStringLiteral("Current Time"), this);
    clockTitle->setObjectName(QStringLiteral("Label17"));
    clockTitle->setGeometry(TwipsRect(9945, 0, 1305, 165));
    clockTitle->setAlignment(Qt::AlignCenter);
    QLabel* time = bind_.Label(form.lblTime, this, TwipsRect(9945, 150, 1305, 300));
    QLabel* nextTitle = bind_.Label(form.lblNextSyncTitle, this, TwipsRect(8460, 15, 1305, 165));
    QLabel* next = bind_.Label(form.lblNextSync, this, TwipsRect(8460, 150, 1305, 300));
    for (QLabel* label : {clockTitle, nextTitle}) {
        QFont font = label->font();
        font.setPixelSize(10);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
    }
    for (QLabel* label : {time, next}) {
        QFont font = label->font();
        font.setPixelSize(16);
        font.setBold(true);
        label->setFont(font);
        label->setAlignment(Qt::AlignCenter);
    }
}

void MainWindow::BuildPages() {
    FormModel& form = ctx_.form;
    vfs::Frame* frames[] = {&form.frmPaths, &form.frmSettings, &form.frmLog, &form.frmControls};
    for (int page = 0; page < 4; ++page) {
        QWidget* container = bind_.Frame(*frames[page], this,
                                         TwipsRect(kPageLeft, kPageTop, kPageWidth, kPageHeight));
        container->setAutoFillBackground(true);
        pages_[static_cast<std::size_t>(page)] = container;
        bind_.OnChange(frames[page]->Name(), [this] { RestackTabs(); });
    }
    const BrowseHandler browse = [this](int browseIndex) { chooser_->Browse(browseIndex); };
    BuildPathPage(ctx_, bind_, pages_[0], browse);
    BuildSettingsPage(ctx_, bind_, pages_[1], browse);
    BuildLogPage(ctx_, bind_, pages_[2]);
    BuildControlsPage(ctx_, bind_, pages_[3]);
}

void MainWindow::BuildBottomArea() {
    FormModel& form = ctx_.form;
    bind_.Label(form.lblPbOverall, this, TwipsRect(60, 6345, 11310, 180));
    bind_.Bar(form.pbOverall, this, TwipsRect(45, 6525, 11340, 225));
    bind_.Label(form.lblPbTask, this, TwipsRect(60, 6780, 11310, 180));
    bind_.Bar(form.pbTask, this, TwipsRect(45, 6960, 11340, 225));
    QLabel* status = bind_.Label(form.lblStatus, this, TwipsRect(-15, 7215, 11460, 300));
    status->setFrameShape(QFrame::StyledPanel);
    status->setFrameShadow(QFrame::Sunken);
    status->setIndent(4);
}

void MainWindow::BuildFocusSink() {
    TextBox& model = ctx_.form.txtFocus;
    // Just beyond the right edge of the client area: it holds the focus, nobody sees it.
    QLineEdit* sink =
        bind_.Text(model, this, TwipsRect(11580, 120, 75, 195), [&model] { model.SetText(""); });
    sink->installEventFilter(new FocusSinkFilter(model, sink));
    bind_.OnChange("focus", [this] { MoveFocusToModel(); });
}

void MainWindow::MoveFocusToModel() {
    const std::string& name = ctx_.form.Focus();
    if (name.empty()) return;
    if (QWidget* target = findChild<QWidget*>(ObjectName(name))) target->setFocus();
}

void MainWindow::BindWindow() {
    bind_.OnChange(ctx_.form.frmMain.Name(),
                   [this] { setWindowTitle(QString::fromStdString(ctx_.form.frmMain.Caption())); });
}

// The selected tab lies under its page, so the page covers the tab's lower edge and the
// tab looks joined to it; the other tabs lie over everything.
void MainWindow::RestackTabs() {
    if (!tabs_[3] || !pages_[3]) return;
    for (QPushButton* tab : tabs_)
        tab->raise();
    for (std::size_t page = 0; page < tabs_.size(); ++page) {
        if (!tabs_[page]->isEnabled()) continue;
        pages_[page]->raise();
    }
    for (std::size_t page = 0; page < tabs_.size(); ++page) {
        if (tabs_[page]->isEnabled()) continue;
        pages_[page]->lower();
        tabs_[page]->lower();
    }
}

void MainWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Mid));
    const int left = Px(kOutlineLeft);
    const int right = Px(kOutlineRight);
    const int top = Px(kOutlineTop);
    const int bottom = Px(kOutlineBottom);
    painter.drawLine(left, top, left, bottom);
    painter.drawLine(left, bottom, right, bottom);
    painter.drawLine(right, top, right, bottom);
    painter.drawLine(Px(kOutlineTopFrom), top, right, top);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!closeAllowed_) {
        // The program decides whether and when to close; the front end closes the window
        // after the unload.
        event->ignore();
        frontEnd_.requestClose(0);
    }
    if (closeAllowed_) event->accept();
    // An open folder chooser goes with the window, as a cancelled choice.
    if (event->isAccepted() && chooser_->isVisible()) chooser_->close();
    // The help windows this window opened close with it; a refused close keeps them.
    if (helpHandler_) {
        const bool cancelled = !event->isAccepted();
        std::exchange(helpHandler_, cancelled ? helpHandler_ : nullptr)->QueryUnload(cancelled);
    }
}

// Minimised with a notification icon on show, the window leaves the task bar; restored
// from there it comes back in normal state. Without an icon it minimises as usual.
void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMinimized() && !ctx_.state.MinimizedToTray) {
        if (!frontEnd_.trayIconShown()) return;
        ctx_.state.MinimizedToTray = true;
        hide();
    } else if (ctx_.state.MinimizedToTray) {
        ctx_.state.MinimizedToTray = false;
        showNormal();
    }
}

}  // namespace vfs::ui
