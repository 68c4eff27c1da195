#include "config/path_grid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::MakeDirs;
using test::TempDir;
using test::TestApp;

// A program folder with two existing folders to point paths at, and one that is missing.
class PathGridTest : public ::testing::Test {
  protected:
    TempDir dir;
    TestApp app{dir.path()};
    std::string local = dir / "local";
    std::string remote = dir / "remote";
    std::string missing = dir / "missing";

    void SetUp() override {
        MakeDirs(local);
        MakeDirs(remote);
    }

    Picture& pathLink(int i) { return app.form.imgPathLink[static_cast<std::size_t>(i)]; }
    Picture& lineLink(int r) { return app.form.imgLineLink[static_cast<std::size_t>(r)]; }

    void AddRow(const std::string& l, const std::string& r, const std::string& tag) {
        const auto row = app.form.lstLAudioPaths.ListCount();
        app.form.lstLAudioPaths.AddItem(l);
        app.form.lstRAudioPaths.AddItem(r);
        app.form.imgLineLink[row].SetTag(tag);
    }

    bool HasState(int audioRow) {
        std::vector<std::string> names;
        const std::string category = "Audio Folder " + std::to_string(audioRow + 1);
        return LoadStateFile(app.ctx, category, names, false) ||
               LoadStateFile(app.ctx, category, names, true);
    }
    void SeedState(int audioRow) {
        const std::string category = "Audio Folder " + std::to_string(audioRow + 1);
        SaveStateFile(app.ctx, category, {"a.wav"}, false);
        SaveStateFile(app.ctx, category, {"a.wav"}, true);
    }
};

TEST_F(PathGridTest, CategoryIndicatorFollowsBothFoldersWhileEnabled) {
    struct Case {
        std::string tag, localPath, remotePath, wantTag, wantPicture;
    };
    const std::vector<Case> cases = {
        {"1", local, remote, "1", "imgPathLinkActive"},
        {"-1", local, remote, "1", "imgPathLinkActive"},
        {"1", "", remote, "-1", "imgPathLinkError"},
        {"1", local, missing, "-1", "imgPathLinkError"},
        // Switched off: keeps its look even though the paths are invalid.
        {"0", "", missing, "0", "imgPathLinkDisabled"},
    };
    for (const Case& c : cases) {
        app.form.txtLPLog.SetText(c.localPath);
        app.form.txtRPLog.SetText(c.remotePath);
        pathLink(0).SetTag(c.tag);
        pathLink(0).SetPictureId(c.tag == "0" ? "imgPathLinkDisabled" : "");
        ValidatePaths(app.ctx);
        EXPECT_EQ(pathLink(0).Tag(), c.wantTag) << c.localPath << " | " << c.remotePath;
        EXPECT_EQ(pathLink(0).PictureId(), c.wantPicture) << c.localPath << " | " << c.remotePath;
    }
}

TEST_F(PathGridTest, ExtendedRowsKeepTheirStateWhileExtendedFoldersAreOff) {
    app.state.ExtendedFolders = false;
    for (int i : {1, 2, 5}) {
        pathLink(i).SetTag("1");
        pathLink(i).SetPictureId("imgPathLinkActive");
    }
    pathLink(3).SetTag("1");
    ValidatePaths(app.ctx);  // every path is empty
    for (int i : {1, 2, 5}) {
        EXPECT_EQ(pathLink(i).Tag(), "1");
        EXPECT_EQ(pathLink(i).PictureId(), "imgPathLinkActive");
    }
    EXPECT_EQ(pathLink(3).Tag(), "-1");

    app.state.ExtendedFolders = true;
    ValidatePaths(app.ctx);
    for (int i : {1, 2, 5})
        EXPECT_EQ(pathLink(i).Tag(), "-1");
}

TEST_F(PathGridTest, AudioIndicatorsFollowTheirRows) {
    app.state.MaxAudioPaths = 5;
    AddRow(local, remote, "1");             // 0: usable
    AddRow(local, "<Not Specified>", "1");  // 1: remote not chosen, local exists
    AddRow(local, missing, "-1");           // 2: remote gone
    AddRow("", "", "0");                    // 3: switched off
    lineLink(4).SetTag("1");                // 4: no such row
    lineLink(4).SetVisible(true);
    lineLink(7).SetVisible(true);  // beyond MaxAudioPaths

    ValidatePaths(app.ctx);

    EXPECT_EQ(lineLink(0).Tag(), "1");
    EXPECT_EQ(lineLink(0).PictureId(), "imgLineLinkActive");
    EXPECT_EQ(lineLink(1).Tag(), "-1");
    EXPECT_EQ(lineLink(1).PictureId(), "imgLineLinkError");
    EXPECT_EQ(lineLink(2).Tag(), "-1");
    EXPECT_EQ(lineLink(3).Tag(), "0");
    EXPECT_EQ(lineLink(3).PictureId(), "imgLineLinkDisabled");
    for (int r = 0; r <= 3; ++r)
        EXPECT_TRUE(lineLink(r).Visible()) << r;
    EXPECT_FALSE(lineLink(4).Visible());
    EXPECT_EQ(lineLink(4).Tag(), "0");
    EXPECT_FALSE(lineLink(7).Visible());
}

TEST_F(PathGridTest, ValidateAudioPathNeedsBothRowsChosenAndExisting) {
    AddRow(local, remote, "1");
    AddRow(local, "<Not Specified>", "1");
    AddRow("<Not Specified>", remote, "1");
    AddRow(local, "", "1");
    app.form.lstLAudioPaths.AddItem(local);  // row 4 has no remote entry at all

    EXPECT_TRUE(ValidateAudioPath(app.ctx, 0));
    for (int row : {1, 2, 3, 4, 5, -1})
        EXPECT_FALSE(ValidateAudioPath(app.ctx, row)) << row;
    EXPECT_FALSE(ValidatePath(app.ctx, 7));
    EXPECT_FALSE(ValidatePath(app.ctx, -1));
}

// A task line quotes its folders, so a folder whose path holds a quote or a control
// character could be read back as another one; such folders exist but are not usable.
TEST_F(PathGridTest, FoldersTheTaskLineCannotCarryAreInvalid) {
    struct Case {
        std::string name;
        bool usable;
    };
    const std::vector<Case> cases = {
        {"say \"hi\"", false},   {"tab\there", false},       {"line\nbreak", false},
        {"bell\x07", false},     {"delete\x7f", false},      {"blank and * ?", true},
        {"Sende\xc3\xa4", true}, {"semi;colon,comma", true},
    };
    for (const Case& c : cases) {
        const std::string folder = dir / c.name;
        MakeDirs(folder);
        app.form.txtLPLog.SetText(local);
        app.form.txtRPLog.SetText(folder);
        pathLink(0).SetTag("1");
        ValidatePaths(app.ctx);
        EXPECT_EQ(pathLink(0).Tag(), c.usable ? "1" : "-1") << c.name;
        app.form.lstLAudioPaths.Clear();
        app.form.lstRAudioPaths.Clear();
        AddRow(folder, remote, "1");
        EXPECT_EQ(ValidateAudioPath(app.ctx, 0), c.usable) << c.name;
    }
}

TEST_F(PathGridTest, ToggleSwitchesOffOrBackOnWithAFreshCheck) {
    app.form.txtLHotkey.SetText(local);
    app.form.txtRHotkey.SetText(remote);
    pathLink(4).SetTag("-1");
    imgPathLink_Click(app.ctx, 4);
    EXPECT_EQ(pathLink(4).Tag(), "0");
    EXPECT_EQ(pathLink(4).PictureId(), "imgPathLinkDisabled");
    imgPathLink_Click(app.ctx, 4);
    EXPECT_EQ(pathLink(4).Tag(), "1");
    EXPECT_EQ(pathLink(4).PictureId(), "imgPathLinkActive");

    AddRow(local, "<Not Specified>", "0");
    imgLineLink_Click(app.ctx, 0);
    EXPECT_EQ(lineLink(0).Tag(), "-1");
    EXPECT_EQ(lineLink(0).PictureId(), "imgLineLinkError");
    imgLineLink_Click(app.ctx, 0);
    EXPECT_EQ(lineLink(0).Tag(), "0");
    EXPECT_EQ(lineLink(0).PictureId(), "imgLineLinkDisabled");
}

TEST_F(PathGridTest, AddButtonIsDisabledAtTheLimitAndFreedByADeletion) {
    app.state.MaxAudioPaths = 5;
    for (int r = 0; r < 5; ++r) {
        EXPECT_TRUE(app.form.btnBrowse[15].Enabled()) << r;
        AddAudioRow(app.ctx, local);
    }
    EXPECT_FALSE(app.form.btnBrowse[15].Enabled());
    EXPECT_EQ(app.form.lstRAudioPaths.Item(4), "<Not Specified>");
    EXPECT_EQ(lineLink(4).Tag(), "-1");
    EXPECT_EQ(lineLink(4).PictureId(), "imgLineLinkError");
    EXPECT_TRUE(lineLink(4).Visible());

    // A sixth row would have no place; nothing changes.
    AddAudioRow(app.ctx, remote);
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 5u);

    app.form.lstLAudioPaths.SetListIndex(2);
    lstAudioPaths_Click(app.ctx, true);
    btnDeleteAudioPath_Click(app.ctx);
    EXPECT_TRUE(app.form.btnBrowse[15].Enabled());
    EXPECT_FALSE(app.form.btnDeleteAudioPath.Enabled());
    EXPECT_EQ(app.form.Focus(), "txtFocus");
}

TEST_F(PathGridTest, DeletingARowMovesTheIndicatorsBehindItUp) {
    app.state.MaxAudioPaths = 6;
    const std::vector<std::string> tags = {"1", "-1", "0", "1"};
    const std::vector<std::string> pictures = {"imgLineLinkActive", "imgLineLinkError",
                                               "imgLineLinkDisabled", "imgLineLinkScanning"};
    const std::vector<std::string> locals = {dir / "l0", dir / "l1", dir / "l2", dir / "l3"};
    for (int r = 0; r < 4; ++r) {
        AddRow(locals[r], remote, tags[r]);
        lineLink(r).SetPictureId(pictures[r]);
        lineLink(r).SetVisible(true);
    }
    lineLink(4).SetVisible(false);
    lineLink(4).SetTag("0");

    app.form.lstRAudioPaths.SetListIndex(1);
    lstAudioPaths_Click(app.ctx, false);
    btnDeleteAudioPath_Click(app.ctx);

    EXPECT_EQ(app.form.lstLAudioPaths.Items(),
              (std::vector<std::string>{locals[0], locals[2], locals[3]}));
    EXPECT_EQ(app.form.lstRAudioPaths.ListCount(), 3u);
    for (int r : {1, 2}) {
        EXPECT_EQ(lineLink(r).Tag(), tags[r + 1]) << r;
        EXPECT_EQ(lineLink(r).PictureId(), pictures[r + 1]) << r;
        EXPECT_TRUE(lineLink(r).Visible()) << r;
    }
    EXPECT_FALSE(lineLink(3).Visible());
    EXPECT_FALSE(lineLink(5).Visible());
    EXPECT_EQ(lineLink(5).Tag(), "1");
}

// Rows behind a deleted row take new numbers; their old previous-sync states would make
// the next sync compare a folder with another folder's contents and delete files.
TEST_F(PathGridTest, DeletingARowDiscardsTheStatesOfEveryRenumberedRow) {
    app.state.MaxAudioPaths = 10;
    for (int r = 0; r < 4; ++r) {
        AddRow(local, remote, "1");
        SeedState(r);
    }
    SeedState(6);  // a row that does not exist is not the deletion's business

    app.form.lstLAudioPaths.SetListIndex(1);
    btnDeleteAudioPath_Click(app.ctx);

    EXPECT_TRUE(HasState(0));
    for (int r : {1, 2, 3})
        EXPECT_FALSE(HasState(r)) << r;
    EXPECT_TRUE(HasState(6));
}

// After a reload the lists may hold more rows than the limit; those rows have no indicator,
// so deleting one leaves the switches of the rows that do have one alone.
TEST_F(PathGridTest, DeletingARowBeyondTheLimitKeepsEveryIndicator) {
    app.state.MaxAudioPaths = 2;
    AddRow(local, remote, "1");
    AddRow(local, remote, "0");
    AddRow(local, remote, "0");
    lineLink(1).SetPictureId("imgLineLinkDisabled");
    app.form.lstLAudioPaths.SetListIndex(2);
    btnDeleteAudioPath_Click(app.ctx);
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 2u);
    EXPECT_EQ(lineLink(0).Tag(), "1");
    EXPECT_EQ(lineLink(1).Tag(), "0") << "the operator's switch stays off";
    EXPECT_TRUE(lineLink(1).Visible());
}

TEST_F(PathGridTest, DeleteWithoutASelectedRowDeletesNothing) {
    AddRow(local, remote, "1");
    SeedState(0);
    btnDeleteAudioPath_Click(app.ctx);
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 1u);
    EXPECT_TRUE(HasState(0));
}

TEST_F(PathGridTest, NewRowStartsWithoutAnEarlierRowsState) {
    SeedState(0);
    AddAudioRow(app.ctx, local);
    EXPECT_FALSE(HasState(0));
}

TEST_F(PathGridTest, ClickAndScrollKeepBothListsTogether) {
    for (int r = 0; r < 12; ++r)
        AddRow(local, remote, "1");
    app.form.lstLAudioPaths.SetListIndex(5);
    lstAudioPaths_Click(app.ctx, true);
    EXPECT_EQ(app.form.lstRAudioPaths.ListIndex(), 5);
    EXPECT_TRUE(app.form.btnBrowse[14].Enabled());
    EXPECT_TRUE(app.form.btnDeleteAudioPath.Enabled());

    app.form.lstLAudioPaths.SetTopIndex(3);
    lstAudioPaths_Scroll(app.ctx, true);
    EXPECT_EQ(app.form.lstRAudioPaths.TopIndex(), 3);
    EXPECT_EQ(app.form.frmLineLink.Top(), -585);

    app.form.lstRAudioPaths.SetTopIndex(0);
    lstAudioPaths_Scroll(app.ctx, false);
    EXPECT_EQ(app.form.lstLAudioPaths.TopIndex(), 0);
    EXPECT_EQ(app.form.frmLineLink.Top(), 0);
}

}  // namespace
}  // namespace vfs
