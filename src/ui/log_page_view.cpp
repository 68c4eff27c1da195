// The activity-log page: the queue of tasks still to do, the completed lines, and the
// choices of the log; and the hidden page of template pictures.
#include <QEvent>
#include <QFontDatabase>

#include "engine/activity_log.h"
#include "engine/log_page.h"
#include "engine/pair_links.h"
#include "ui/pages.h"
#include "ui/pictures.h"
#include "ui/twips.h"

namespace vfs::ui {

namespace {

// Rows the list shows from top to bottom without cutting one off; 0 while the list is not on
// screen or has no row to measure. Qt's own per-row scrolling stops at the same count.
int FullRowsInView(const QListView* view) {
    if (!view->isVisible() || view->model()->rowCount() == 0) return 0;
    const int rowHeight = view->sizeHintForRow(0) + 2 * view->spacing();
    if (rowHeight <= 0) return 0;
    return view->viewport()->height() / rowHeight;
}

// Tells the completed list how many of its lines are in view, whenever that may change: the
// list is shown, resized (a scroll bar comes or goes), gets another font, or gets its first
// row to measure.
class LinesInViewReporter : public QObject {
  public:
    LinesInViewReporter(Context& ctx, QListView* view) : QObject(view), ctx_(ctx), view_(view) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
        connect(view->model(), &QAbstractItemModel::rowsInserted, this, [this] { Report(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::Show || type == QEvent::Resize || type == QEvent::FontChange) {
            Report();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void Report() {
        const int lines = FullRowsInView(view_);
        if (lines > 0 && lines != ctx_.form.lstCompletedTasks.LinesInView()) {
            SetCompletedLinesInView(ctx_, lines);
        }
    }

    Context& ctx_;
    QListView* view_;
};

}  // namespace

QFont ListFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(11);
    return font;
}

void BuildLogPage(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    bind.Label(form.lblTasksToDo, page, TwipsRect(120, 60, 6000, 240));
    QListView* tasks = bind.List(form.lstTasksToDo, page, TwipsRect(120, 300, 10980, 1230), {}, {},
                                 [&ctx] { lstTasksToDo_DblClick(ctx); });
    bind.Label(form.lblCompletedTasks, page, TwipsRect(120, 1590, 6000, 240));
    QListView* done = bind.List(form.lstCompletedTasks, page, TwipsRect(120, 1830, 10980, 3240), {},
                                {}, [&ctx] { lstCompletedTasks_DblClick(ctx); });
    for (QListView* list : {tasks, done})
        list->setFont(ListFont());
    new LinesInViewReporter(ctx, done);
    bind.Check(form.chkLogToFile, page, TwipsRect(120, 5130, 9600, 270), {});
    bind.Check(form.chkAutoScroll, page, TwipsRect(120, 5460, 1500, 270), {});
    auto* maxItems = new QLabel(QStringLiteral("Maximum Log Items"), page);
    maxItems->setGeometry(TwipsRect(1800, 5475, 1860, 240));
    bind.Combo(form.cboMaxLogItems, page, TwipsRect(3720, 5430, 960, 330),
               [&ctx] { cboMaxLogItems_Click(ctx); });
    bind.Button(form.btnClearList, page, TwipsRect(9900, 5400, 1200, 375),
                [&ctx] { btnClearList_Click(ctx); });
    bind.Button(form.cmdTestLoad, page, TwipsRect(8400, 5400, 1200, 375),
                [&ctx] { cmdTestLoad_Click(ctx); });
}

void BuildControlsPage(Context&, FormBinding&, QWidget* page) {
    const char* templates[] = {
        kPathLinkActive, kPathLinkError,   kPathLinkDisabled,       kPathLinkScanning,
        kLineLinkActive, kLineLinkError,   kLineLinkDisabled,       kLineLinkScanning,
        "imgAutoSyncOn", "imgAutoSyncOff", "imgAutoSyncOnDisabled", "imgAutoSyncOffDisabled"};
    int left = 120;
    for (const char* name : templates) {
        auto* picture = new QLabel(page);
        picture->setObjectName(QString::fromUtf8(name));
        picture->setGeometry(TwipsRect(left, 240, 600, 330));
        picture->setPixmap(PicturePixmap(name, picture->size()));
        picture->setToolTip(QString::fromUtf8(name));
        left += 720;
    }
    for (int side = 0; side < 2; ++side) {
        auto* title = new QLabel(
            side == 0 ? QStringLiteral("Local Files") : QStringLiteral("Remote Files"), page);
        title->setGeometry(TwipsRect(120 + side * 5580, 900, 3000, 240));
        auto* list = new QListView(page);
        list->setObjectName(side == 0 ? QStringLiteral("dirLocal") : QStringLiteral("dirRemote"));
        list->setGeometry(TwipsRect(120 + side * 5580, 1170, 5400, 3000));
    }
}

}  // namespace vfs::ui
