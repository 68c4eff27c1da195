// The activity-log page: the queue of tasks still to do, the completed lines, and the
// choices of the log; and the hidden page of template pictures.
#include <QFontDatabase>

#include "engine/log_page.h"
#include "engine/pair_links.h"
#include "ui/pages.h"
#include "ui/pictures.h"
#include "ui/twips.h"

namespace vfs::ui {

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
