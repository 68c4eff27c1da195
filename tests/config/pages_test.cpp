#include "config/pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::TestApp;

TEST(PagesTest, OnlyTheChosenPageIsShownAndItsTabCannotBeClickedAgain) {
    TestApp app;
    FormModel& form = app.form;
    const std::vector<const Frame*> frames = {&form.frmPaths, &form.frmSettings, &form.frmLog,
                                              &form.frmControls};
    for (int k : {3, 1, 2, 0}) {
        form.SetFocus("cmdPage");
        cmdPage_Click(app.ctx, k);
        for (int p = 0; p < 4; ++p) {
            const Button& tab = form.cmdPage[static_cast<std::size_t>(p)];
            const bool chosen = p == k;
            EXPECT_EQ(frames[static_cast<std::size_t>(p)]->Visible(), chosen) << k << "/" << p;
            EXPECT_EQ(tab.Enabled(), !chosen) << k << "/" << p;
            EXPECT_EQ(tab.Top(), chosen ? 75 : 105) << k << "/" << p;
            EXPECT_EQ(tab.Height(), chosen ? 450 : 390) << k << "/" << p;
            EXPECT_EQ(tab.Bold(), chosen) << k << "/" << p;
        }
        EXPECT_EQ(form.Focus(), "txtFocus");
    }
    // The hidden page's tab stays hidden even while its page is on show.
    cmdPage_Click(app.ctx, 3);
    EXPECT_FALSE(form.cmdPage[3].Visible());
}

struct RowControls {
    const Label* label;
    const TextBox* local;
    const TextBox* remote;
    const Button* localBrowse;
    const Button* remoteBrowse;
    const Picture* indicator;
};

std::vector<RowControls> Rows(FormModel& f) {
    return {{&f.lblProgramLogs, &f.txtLPLog, &f.txtRPLog, &f.btnBrowse[0], &f.btnBrowse[1],
             &f.imgPathLink[0]},
            {&f.lblTextFiles, &f.txtLText, &f.txtRText, &f.btnBrowse[2], &f.btnBrowse[3],
             &f.imgPathLink[1]},
            {&f.lblVideoFiles, &f.txtLVideo, &f.txtRVideo, &f.btnBrowse[4], &f.btnBrowse[5],
             &f.imgPathLink[2]},
            {&f.lblTriggerSets, &f.txtLTrigger, &f.txtRTrigger, &f.btnBrowse[6], &f.btnBrowse[7],
             &f.imgPathLink[3]},
            {&f.lblHotkeySets, &f.txtLHotkey, &f.txtRHotkey, &f.btnBrowse[8], &f.btnBrowse[9],
             &f.imgPathLink[4]},
            {&f.lblSerialSets, &f.txtLSerial, &f.txtRSerial, &f.btnBrowse[10], &f.btnBrowse[11],
             &f.imgPathLink[5]},
            {&f.lblSchedSets, &f.txtLSched, &f.txtRSched, &f.btnBrowse[12], &f.btnBrowse[13],
             &f.imgPathLink[6]}};
}

// Field top, label top, indicator top; 0 for a hidden row.
struct Tops {
    int field, label, indicator;
};

void ExpectRows(FormModel& form, const std::vector<Tops>& want, const std::string& layout) {
    const auto rows = Rows(form);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RowControls& row = rows[i];
        const bool shown = want[i].field != 0;
        for (bool visible :
             {row.label->Visible(), row.local->Visible(), row.remote->Visible(),
              row.localBrowse->Visible(), row.remoteBrowse->Visible(), row.indicator->Visible()}) {
            EXPECT_EQ(visible, shown) << layout << " row " << i;
        }
        if (!shown) continue;
        for (int top : {row.local->Top(), row.remote->Top(), row.localBrowse->Top(),
                        row.remoteBrowse->Top()}) {
            EXPECT_EQ(top, want[i].field) << layout << " row " << i;
        }
        EXPECT_EQ(row.label->Top(), want[i].label) << layout << " row " << i;
        EXPECT_EQ(row.indicator->Top(), want[i].indicator) << layout << " row " << i;
    }
}

void ExpectAudioBlock(FormModel& f, int lists, int label, int add, int del) {
    EXPECT_EQ(f.lstLAudioPaths.Top(), lists);
    EXPECT_EQ(f.lstRAudioPaths.Top(), lists);
    EXPECT_EQ(f.btnBrowse[14].Top(), lists);
    EXPECT_EQ(f.lblAudioFilePaths.Top(), label);
    EXPECT_EQ(f.btnBrowse[15].Top(), add);
    EXPECT_EQ(f.btnDeleteAudioPath.Top(), del);
    EXPECT_EQ(f.frmLineLinkOuter.Top(), lists + 45);
}

TEST(PagesTest, ExtendedFoldersOffClosesUpTheRowsAndOnRestoresTheDesignLayout) {
    TestApp app;
    const std::vector<Tops> compact = {{255, 300, 330},   {0, 0, 0},       {0, 0, 0},
                                       {585, 630, 675},   {915, 945, 990}, {0, 0, 0},
                                       {1245, 1290, 1320}};
    const std::vector<Tops> extended = {{255, 300, 330},    {585, 630, 675},    {915, 945, 990},
                                        {1245, 1290, 1320}, {1575, 1620, 1650}, {1905, 1950, 1980},
                                        {2235, 2280, 2310}};

    ApplyExtendedFolders(app.ctx, true);
    EXPECT_TRUE(app.state.ExtendedFolders);
    ExpectRows(app.form, extended, "on");
    ExpectAudioBlock(app.form, 2565, 2595, 2880, 3195);

    ApplyExtendedFolders(app.ctx, false);
    EXPECT_FALSE(app.state.ExtendedFolders);
    ExpectRows(app.form, compact, "off");
    ExpectAudioBlock(app.form, 1575, 1620, 1890, 2205);
    // Hidden rows keep where they were.
    EXPECT_EQ(app.form.txtLText.Top(), 585);

    ApplyExtendedFolders(app.ctx, true);
    ExpectRows(app.form, extended, "on again");
    ExpectAudioBlock(app.form, 2565, 2595, 2880, 3195);
}

TEST(PagesTest, TurningExtendedFoldersOnRevalidatesTheRowsThatComeBack) {
    test::TempDir dir;
    TestApp app(dir.path());
    test::MakeDirs(dir / "l");
    test::MakeDirs(dir / "r");
    app.form.txtLVideo.SetText(dir / "l");
    app.form.txtRVideo.SetText(dir / "r");
    app.form.imgPathLink[2].SetTag("-1");
    app.form.imgPathLink[2].SetPictureId("imgPathLinkError");

    app.form.chkExtendedPaths.SetValue(0);
    chkExtendedPaths_Click(app.ctx);
    EXPECT_EQ(app.form.imgPathLink[2].Tag(), "-1");

    app.form.chkExtendedPaths.SetValue(1);
    chkExtendedPaths_Click(app.ctx);
    EXPECT_TRUE(app.state.ExtendedFolders);
    EXPECT_EQ(app.form.imgPathLink[2].Tag(), "1");
    EXPECT_EQ(app.form.imgPathLink[2].PictureId(), "imgPathLinkActive");
}

}  // namespace
}  // namespace vfs
