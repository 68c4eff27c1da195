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

void BuildBackupFrame(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group = Group(&form.frmBackupOptions, "Replaced/Deleted File Backup Settings", page,
                             TwipsRect(60, 60, 5640, 3000));
    bind.OnChange(form.frmBackupOptions.Name(), [group, &form] {
        group->setTitle(QString::fromStdString(form.frmBackupOptions.Caption()));
        group->setEnabled(form.frmBackupOptions.Enabled());
    });
    FixedLabel("Backup Structure Type", group, TwipsRect(150, 300, 3000, 240));
    for (int i = 0; i < 2; ++i) {
        bind.Option(form.optDirectoryBackups[static_cast<std::size_t>(i)], group,
                    TwipsRect(300, 570 + i * 285, 5200, 270),
                    [&ctx, i] { optDirectoryBackups_Click(ctx, i); });
    }
    QLabel* info = bind.Label(form.lblBackupTypeInfo, group, TwipsRect(300, 1140, 5250, 480));
    info->setWordWrap(true);
    bind.Check(form.chkEnableFileBackup, group, TwipsRect(150, 1680, 5460, 270), {});
    FixedLabel("Save", group, TwipsRect(150, 2040, 450, 240));
    bind.Combo(form.cboNumFileBackups, group, TwipsRect(630, 1995, 660, 330),
               [&ctx] { cboNumFileBackups_Click(ctx); });
    bind.Label(form.lblBackupCopies, group, TwipsRect(1380, 2040, 4200, 240));
    bind.Text(form.txtBackupDir, group, TwipsRect(150, 2460, 4980, 315));
    bind.Button(
        form.btnBrowse[kBrowseBackupFolder], group, TwipsRect(5160, 2460, 330, 315),
        [&form] { form.SetFocus("txtFocus"); }, QStringLiteral("..."));
}

void BuildSyncFrame(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group =
        Group(nullptr, "Synchronization Settings", page, TwipsRect(5820, 60, 5400, 3000));
    bind.Check(form.chkAutoSync, group, TwipsRect(150, 330, 2520, 270),
               [&ctx] { chkAutoSync_Click(ctx); });
    QListView* cycle = bind.List(form.lstSyncCycle, group, TwipsRect(2700, 285, 540, 330),
                                 [&ctx] { lstSyncCycle_Click(ctx); });
    cycle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bind.Combo(form.cboSyncCycle, group, TwipsRect(3300, 285, 780, 330),
               [&ctx] { cboSyncCycle_Click(ctx); });
    FixedLabel("Minutes After Previous Sync", group, TwipsRect(450, 690, 4000, 240));
    FixedLabel("Copy/Sync Speed", group, TwipsRect(150, 1110, 1500, 240));
    bind.Combo(form.cboSyncSpeed, group, TwipsRect(1680, 1065, 3540, 330),
               [&ctx] { cboSyncSpeed_Click(ctx); });
    bind.Check(form.chkAutoStart, group, TwipsRect(150, 1560, 5160, 270), {});
    bind.Check(form.chkStartMinimized, group, TwipsRect(150, 1890, 5160, 270), {});
    bind.Check(form.chkExtendedPaths, group, TwipsRect(150, 2220, 5220, 270),
               [&ctx] { chkExtendedPaths_Click(ctx); });
}

void BuildPriorityFrame(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group =
        Group(nullptr, "Application Priority", page, TwipsRect(60, 3180, 5640, 2520));
    bind.Combo(form.cboPriority, group, TwipsRect(150, 330, 2400, 330),
               [&ctx] { cboPriority_Click(ctx); });
    FixedLabel(
        "This function sets Varnel File Sync's priority in the OS. Higher priority may "
        "speed up application response time. However, other applications may become "
        "sluggish at the highest settings.",
        group, TwipsRect(150, 780, 5340, 1000), true);
    bind.Label(form.lblResult, group, TwipsRect(150, 1950, 5340, 270));
}

void BuildSpaceAndVersion(Context& ctx, FormBinding& bind, QWidget* page) {
    FormModel& form = ctx.form;
    QGroupBox* group = Group(nullptr, "Disk Space", page, TwipsRect(5820, 3180, 3600, 2520));
    bind.Button(form.btnTotalSpace, group, TwipsRect(150, 330, 1080, 375),
                [&ctx] { btnTotalSpace_Click(ctx); });
    bind.Button(form.btnFreeSpace, group, TwipsRect(1320, 330, 1080, 375),
                [&ctx] { btnFreeSpace_Click(ctx); });
    bind.Text(form.txtSpace, group, TwipsRect(150, 2100, 3300, 315));
    QLabel* space = bind.Label(form.lblSpace, group, TwipsRect(150, 840, 3300, 1200));
    space->setWordWrap(true);
    space->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QLabel* version = bind.Label(form.lblVersion, page, TwipsRect(9600, 3300, 1560, 600));
    version->setAlignment(Qt::AlignCenter);
    // The delay fields are kept for the settings file; the operator never sees them.
    bind.Text(form.txtSleepTimeSync, page, TwipsRect(9600, 4200, 600, 315));
    bind.Text(form.txtSleepTimeCopy, page, TwipsRect(9600, 4600, 600, 315));
    FixedLabel("Folder Sync Function Delay Time (ms)", page, TwipsRect(9600, 5000, 1500, 240))
        ->hide();
    FixedLabel("File Copy Function Delay Time (ms)", page, TwipsRect(9600, 5300, 1500, 240))
        ->hide();
}

}  // namespace

void BuildSettingsPage(Context& ctx, FormBinding& bind, QWidget* page) {
    BuildBackupFrame(ctx, bind, page);
    BuildSyncFrame(ctx, bind, page);
    BuildPriorityFrame(ctx, bind, page);
    BuildSpaceAndVersion(ctx, bind, page);
}

}  // namespace vfs::ui
