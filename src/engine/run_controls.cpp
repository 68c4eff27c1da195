#include "engine/run_controls.h"

namespace vfs {

namespace {

// The settings that must hold still while a run is under way.
void SetRunSettingsEnabled(FormModel& f, bool enabled) {
    f.cmdLoadPaths.SetEnabled(enabled);
    f.btnAutoSync.SetEnabled(enabled);
    f.chkAutoSync.SetEnabled(enabled);
    f.chkExtendedPaths.SetEnabled(enabled);
    f.chkEnableFileBackup.SetEnabled(enabled);
    f.cboNumFileBackups.SetEnabled(enabled);
    f.txtBackupDir.SetEnabled(enabled);
    f.btnBrowse[kBrowseBackupFolder].SetEnabled(enabled);
    f.optDirectoryBackups[0].SetEnabled(enabled);
    f.optDirectoryBackups[1].SetEnabled(enabled);
}

}  // namespace

void LockRunControls(Context& ctx) {
    FormModel& f = ctx.form;
    f.cmdRun.SetEnabled(false);
    f.cmdRun.SetVisible(false);
    f.cmdPreview.SetEnabled(false);
    SetRunSettingsEnabled(f, false);
    f.picIcon.SetPictureId("taskBarScanIcon7");
    f.picIconBox.SetVisible(true);
    f.frmPaths.SetEnabled(false);
}

void HandBackControls(Context& ctx) {
    FormModel& f = ctx.form;
    f.cmdRun.SetEnabled(true);
    f.frmPaths.SetEnabled(true);
    f.frmSettings.SetEnabled(true);
    f.cmdRun.SetVisible(true);
    f.cmdPreview.SetEnabled(true);
    SetRunSettingsEnabled(f, true);
    f.picIconBox.SetVisible(false);
}

}  // namespace vfs
