// The settings page: backups, the sync cycle and speed, start-up choices, the extended
// folders, the program's priority, its version and the disk-space buttons.
#include <QGroupBox>

#include "config/pages.h"
#include "config/sync_settings.h"
#include "engine/backups.h"
#include "engine/file_helpers.h"
#include "ui/pages.h"
#include "ui/twips.h"

namespace vfs::ui {

namespace {

QLabel* FixedLabel(const char* text, QWidget* parent, QRect geometry, bool wrap = false) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(geometry);
    label->setWordWrap(wrap);
    return label;
}

QGroupBox* Group(vfs::Frame* model, const char* caption, QWidget* page, QRect geometry) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), page);
    if (model) group->setObjectName(QString::fromStdString(model->Name()));
    group->setGeometry(geometry);
    return group;
}

void BuildBackupFrame(Context& ctx, FormBinding& bind, QWidget* page, const BrowseHandler& browse) {
    FormModel& form = ctx.form;
    QGroupBox* group = Group(&form.frmBackupOptions, "Replaced/Deleted File Backup Settings", page,
                             TwipsRect(60, 60, 11100, 2160));
    bind.OnChange(form.frmBackupOptions.Name(), [group, &form] {
        group->setTitle(QString::fromStdString(form.frmBackupOptions.Caption()));
        group->setEnabled(form.frmBackupOptions.Enabled());
    });
    bind.Check(form.chkEnableFileBackup, group, TwipsRect(150, 300, 7000, 270), {});
    FixedLabel("Save", group, TwipsRect(150, 690, 450, 240));
    bind.Combo(form.cboNumFileBackups, group, TwipsRect(630, 645, 660, 330),
               [&ctx] { cboNumFileBackups_Click(ctx); });
    bind.Label(form.lblBackupCopies, group, TwipsRect(1380, 690, 4000, 240));
    bind.Text(form.txtBackupDir, group, TwipsRect(5460, 645, 5160, 315));
    bind.Button(
        form.btnBrowse[kBrowseBackupFolder], group, TwipsRect(10650, 645, 330, 315),
        [browse] { browse(static_cast<int>(kBrowseBackupFolder)); }, QStringLiteral("..."));
    FixedLabel("Backup Structure Type", group, TwipsRect(150, 1110, 3000, 240));
    for (int i = 0; i < 2; ++i) {
        bind.Option(form.optDirectoryBackups[static_cast<std::size_t>(i)], group,
                    TwipsRect(300, 1380 + i * 300, 4800, 270),
                    [&ctx, i] { optDirectoryBackups_Click(ctx, i); });
    }
    QLabel* info = bind.Label(form.lblBackupTypeInfo, group, TwipsRect(5460, 1080, 5520, 960));
    info->setWordWrap(true);
    info->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void BuildSyncFrame(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group =
        Group(nullptr, "Synchronization Settings", page, TwipsRect(60, 2280, 6360, 2430));
    bind.Check(form.chkAutoSync, group, TwipsRect(150, 330, 2550, 270),
               [&ctx] { chkAutoSync_Click(ctx); });
    // A one-row list: scrolling it brings the chosen number of minutes into view.
    QListView* cycle = bind.List(
        form.lstSyncCycle, group, TwipsRect(2730, 285, 720, 330),
        [&ctx] { lstSyncCycle_Click(ctx); }, [&ctx] { lstSyncCycle_Click(ctx); });
    cycle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    cycle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cycle->setStyleSheet(QStringLiteral("QListView::item { height: %1px; }").arg(Px(330) - 4));
    bind.Combo(form.cboSyncCycle, group, TwipsRect(3510, 285, 720, 330),
               [&ctx] { cboSyncCycle_Click(ctx); });
    FixedLabel("Minutes After Previous Sync", group, TwipsRect(2730, 675, 3500, 240));
    FixedLabel("Copy/Sync Speed", group, TwipsRect(150, 1080, 1500, 240));
    bind.Combo(form.cboSyncSpeed, group, TwipsRect(1680, 1035, 4500, 330),
               [&ctx] { cboSyncSpeed_Click(ctx); });
    bind.Check(form.chkAutoStart, group, TwipsRect(150, 1470, 6100, 270), {});
    bind.Check(form.chkStartMinimized, group, TwipsRect(150, 1770, 6100, 270), {});
    bind.Check(form.chkExtendedPaths, group, TwipsRect(150, 2070, 6150, 270),
               [&ctx] { chkExtendedPaths_Click(ctx); });
}

void BuildPriorityFrame(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group =
        Group(nullptr, "Application Priority", page, TwipsRect(6540, 2280, 4620, 2430));
    bind.Combo(form.cboPriority, group, TwipsRect(150, 300, 2400, 330),
               [&ctx] { cboPriority_Click(ctx); });
    FixedLabel(
        "This function sets Varnel File Sync's priority in the OS. Higher priority may "
        "speed up application response time. However, other applications may become "
        "sluggish at the highest settings.",
        group, TwipsRect(150, 720, 4350, 1080), true)
        ->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bind.Label(form.lblResult, group, TwipsRect(150, 1920, 4350, 270));
}

void BuildSpaceAndVersion(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    bind.Button(form.btnTotalSpace, page, TwipsRect(60, 4800, 900, 375),
                [&ctx] { btnTotalSpace_Click(ctx); });
    bind.Button(form.btnFreeSpace, page, TwipsRect(1020, 4800, 900, 375),
                [&ctx] { btnFreeSpace_Click(ctx); });
    bind.Text(form.txtSpace, page, TwipsRect(2040, 5250, 3000, 315));
    QLabel* space = bind.Label(form.lblSpace, page, TwipsRect(2040, 4800, 7200, 900));
    space->setWordWrap(true);
    space->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel* version = bind.Label(form.lblVersion, page, TwipsRect(9600, 4800, 1560, 600));
    version->setAlignment(Qt::AlignCenter);
    // The delay fields are kept for the settings file; the operator never sees them.
    bind.Text(form.txtSleepTimeSync, page, TwipsRect(6000, 5300, 600, 315));
    bind.Text(form.txtSleepTimeCopy, page, TwipsRect(6700, 5300, 600, 315));
    FixedLabel("Folder Sync Function Delay Time (ms)", page, TwipsRect(6000, 5000, 1500, 240))
        ->hide();
    FixedLabel("File Copy Function Delay Time (ms)", page, TwipsRect(6700, 5000, 1500, 240))
        ->hide();
}

}  // namespace

void BuildSettingsPage(Context& ctx, FormBinding& bind, QWidget* page,
                       const BrowseHandler& browse) {
    BuildBackupFrame(ctx, bind, page, browse);
    BuildSyncFrame(ctx, bind, page);
    BuildPriorityFrame(ctx, bind, page);
    BuildSpaceAndVersion(ctx, bind, page);
}

}  // namespace vfs::ui
