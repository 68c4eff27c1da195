#include "engine/run_controls.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_app.h"

namespace vfs {
namespace {

std::vector<const Control*> RunSettings(const FormModel& f) {
    return {&f.cmdLoadPaths,          &f.btnAutoSync,         &f.chkAutoSync,
            &f.chkExtendedPaths,      &f.chkEnableFileBackup, &f.cboNumFileBackups,
            &f.txtBackupDir,          &f.btnBrowse[16],       &f.optDirectoryBackups[0],
            &f.optDirectoryBackups[1]};
}

TEST(RunControls, LockedForTheRunAndHandedBackAfterIt) {
    test::TestApp app;
    FormModel& f = app.form;
    f.frmSettings.SetEnabled(false);

    LockRunControls(app.ctx);
    EXPECT_FALSE(f.cmdRun.Enabled());
    EXPECT_FALSE(f.cmdRun.Visible());
    EXPECT_FALSE(f.frmPaths.Enabled());
    EXPECT_TRUE(f.picIconBox.Visible());
    EXPECT_EQ(f.picIcon.PictureId(), "taskBarScanIcon7");
    for (const Control* c : RunSettings(f))
        EXPECT_FALSE(c->Enabled()) << c->Name();
    EXPECT_TRUE(f.btnBrowse[15].Enabled()) << "only the backup folder's browse button";

    HandBackControls(app.ctx);
    EXPECT_TRUE(f.cmdRun.Enabled());
    EXPECT_TRUE(f.cmdRun.Visible());
    EXPECT_TRUE(f.frmPaths.Enabled());
    EXPECT_TRUE(f.frmSettings.Enabled());
    EXPECT_FALSE(f.picIconBox.Visible());
    for (const Control* c : RunSettings(f))
        EXPECT_TRUE(c->Enabled()) << c->Name();
}

}  // namespace
}  // namespace vfs
