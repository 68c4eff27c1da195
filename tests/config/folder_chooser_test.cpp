#include "config/folder_chooser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/folder_categories.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::MakeDirs;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

struct Message {
    std::string title, text;
};

// A program folder inside a temporary "station" folder, a few folders to choose, and a
// chooser whose drive list is the root alone.
class FolderChooserTest : public ::testing::Test {
  protected:
    TempDir dir;
    TestApp app{dir / "station/program"};
    FolderChooser chooser{app.ctx, {"/"}};
    std::vector<Message> messages;
    std::string a = dir / "a";
    std::string b = dir / "b";
    std::string c = dir / "c";

    void SetUp() override {
        MakeDirs(app.ports.programFolder);
        for (const std::string& f : {a, b, c})
            MakeDirs(f);
        app.ports.messageBox = [this](const std::string& title, const std::string& text,
                                      MessageBoxButtons buttons) {
            EXPECT_EQ(buttons, MessageBoxButtons::Ok);
            messages.push_back({title, text});
            return MessageBoxAnswer::Ok;
        };
    }

    // Opens the chooser for a browse button and navigates to a folder.
    void Browse(int index, const std::string& folder) {
        btnBrowse_Click(app.ctx, chooser, index);
        chooser.dirList_Change(folder);
    }

    void SeedState(const std::string& category) {
        SaveStateFile(app.ctx, category, {"x"}, false);
        SaveStateFile(app.ctx, category, {"x"}, true);
    }
    bool HasState(const std::string& category) {
        std::vector<std::string> names;
        return LoadStateFile(app.ctx, category, names, false) ||
               LoadStateFile(app.ctx, category, names, true);
    }
    void AddRow(const std::string& local, const std::string& remote) {
        app.form.lstLAudioPaths.AddItem(local);
        app.form.lstRAudioPaths.AddItem(remote);
    }
    Picture& lineLink(int r) { return app.form.imgLineLink[static_cast<std::size_t>(r)]; }
};

TEST_F(FolderChooserTest, BrowseSetsUpTheChooserForItsTarget) {
    btnBrowse_Click(app.ctx, chooser, 7);
    const FolderChooserModel& m = chooser.model;
    EXPECT_EQ(app.form.Focus(), "txtFocus");
    EXPECT_TRUE(app.state.FileChooserOpen);
    EXPECT_TRUE(m.frmFileOpen.Visible());
    EXPECT_EQ(m.frmFileOpen.Caption(), "Select Trigger Set Path");
    EXPECT_EQ(m.btnSave.Caption(), "Open");
    EXPECT_FALSE(m.txtFileName.Enabled());
    EXPECT_TRUE(m.dirList.Visible());
    EXPECT_EQ(m.fileListPattern, "*.trg");
    EXPECT_EQ(chooser.sourceIndex(), 7);
    // Opens at the parent of the program's folder.
    EXPECT_EQ(chooser.currentFolder(), dir / "station");
    EXPECT_EQ(m.txtFileName.Text(), dir / "station");
    EXPECT_EQ(m.driveList.Text(), "/");
    EXPECT_TRUE(m.Timer2Enabled);

    // The titles and patterns of the other targets.
    struct Case {
        int index;
        std::string pattern, title;
    };
    const std::vector<Case> cases = {
        {0, "*.kvo", "Select Program Log Path"},
        {3, "*.*", "Select Text File Path"},
        {4, "*.*", "Select Video File Path"},
        {8, "*.key", "Select Hotkey Set Path"},
        {11, "*.ser", "Select Serial Set Path"},
        {12, "*.skd", "Select Scheduled Event Set Path"},
        {14, "*.wav;*.mp3;*.mp2;*.krt", "Select Remote Audio Folder"},
        {15, "*.wav;*.mp3;*.mp2;*.krt", "Select New Local Audio Folder"},
        {16, "*.*", "Select Backup Folder"},
    };
    for (const Case& c : cases) {
        // A second click while open reconfigures the same dialog for the new target.
        btnBrowse_Click(app.ctx, chooser, c.index);
        EXPECT_EQ(chooser.sourceIndex(), c.index);
        EXPECT_EQ(m.fileListPattern, c.pattern) << c.index;
        EXPECT_EQ(m.frmFileOpen.Caption(), c.title) << c.index;
        EXPECT_EQ(m.Timer2Enabled, c.index != 16) << c.index;
    }
}

TEST_F(FolderChooserTest, RemoteAudioBrowseServesTheSelectedRowOrRowZero) {
    AddRow(a, kNotSpecified);
    AddRow(b, kNotSpecified);
    AddRow(c, kNotSpecified);
    btnBrowse_Click(app.ctx, chooser, kChooserRemoteAudio);
    EXPECT_EQ(chooser.audioPathIndex(), 0);
    app.form.lstRAudioPaths.SetListIndex(2);
    btnBrowse_Click(app.ctx, chooser, kChooserRemoteAudio);
    EXPECT_EQ(chooser.audioPathIndex(), 2);
    // Another target forgets the row.
    btnBrowse_Click(app.ctx, chooser, 0);
    EXPECT_EQ(chooser.audioPathIndex(), 0);
}

TEST_F(FolderChooserTest, NoticeTellsWhetherTheFolderHoldsFilesOfThePattern) {
    WriteFile(a + "/SHOW.TRG", "");
    WriteFile(a + "/.hidden.trg", "");
    WriteFile(b + "/notes.txt", "");
    WriteFile(b + "/.hidden.trg", "");
    Browse(6, a);
    chooser.Timer2_Timer();
    EXPECT_EQ(chooser.model.fileList.ListCount(), 1u);
    EXPECT_TRUE(chooser.model.lblFilesFound.Visible());
    EXPECT_FALSE(chooser.model.lblNoFilesFound.Visible());
    chooser.dirList_Change(b);
    EXPECT_EQ(chooser.model.txtFileName.Text(), b);
    chooser.Timer2_Timer();
    EXPECT_FALSE(chooser.model.lblFilesFound.Visible());
    EXPECT_TRUE(chooser.model.lblNoFilesFound.Visible());

    // The backup folder never shows a notice, and switching to it hides one on screen.
    btnBrowse_Click(app.ctx, chooser, kChooserBackupFolder);
    chooser.dirList_Change(b);
    chooser.Timer2_Timer();
    EXPECT_FALSE(chooser.model.lblFilesFound.Visible());
    EXPECT_FALSE(chooser.model.lblNoFilesFound.Visible());
}

TEST_F(FolderChooserTest, DriveChoiceMovesTheTreeToThatDrive) {
    FolderChooser withDrives{app.ctx, {"/", a, dir.path()}};
    btnBrowse_Click(app.ctx, withDrives, 0);
    // The program folder lies on the innermost mount that holds it.
    EXPECT_EQ(withDrives.model.driveList.Text(), dir.path());
    withDrives.driveList_Change(1);
    EXPECT_EQ(withDrives.currentFolder(), a);
    EXPECT_EQ(withDrives.model.txtFileName.Text(), a);
}

TEST_F(FolderChooserTest, EmptyChoiceIsRefusedAndTheDialogStaysOpen) {
    Browse(0, "");
    EXPECT_FALSE(chooser.btnSave_Click());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "Invalid Directory Chosen");
    EXPECT_EQ(messages[0].text,
              "No directory has been chosen.  Please select a directory and try again.");
    EXPECT_TRUE(app.state.FileChooserOpen);
}

TEST_F(FolderChooserTest, CategoryChoiceEqualToTheOtherSideIsRefusedWithItsMessage) {
    // One row per category: the local message, then the remote one.
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"The local Program Log path you've chosen matches the selected remote Program Log "
         "path.  Re-select your path and try again.",
         "The remote Program Log path you've chosen matches the selected local Program Log "
         "path.  Re-select your path and try again."},
        {"The local Text File path you've chosen matches the selected remote Text File path.  "
         "Re-select your path and try again.",
         "The remote Text File path you've chosen matches the selected local Text File path.  "
         "Re-select your path and try again."},
        {"The local Video File path you've chosen matches the selected remote Video File path. "
         " Re-select your path and try again.",
         "The remote Video File path you've chosen matches the selected local Video File path. "
         " Re-select your path and try again."},
        {"The local Trigger Set path you've chosen matches the selected remote Trigger Set "
         "path.  Re-select your path and try again.",
         "The remote Trigger Set path you've chosen matches the selected local Trigger Set "
         "path.  Re-select your path and try again."},
        {"The local Hot Key Set path you've chosen matches the selected remote Hot Key Set "
         "path.  Re-select your path and try again.",
         "The remote Hot Key Set path you've chosen matches the selected local Hot Key Set "
         "path.  Re-select your path and try again."},
        {"The local Serial Set path you've chosen matches the selected remote Serial Set path. "
         " Re-select your path and try again.",
         "The remote Serial Set path you've chosen matches the selected local Serial Set path. "
         " Re-select your path and try again."},
        {"The local Scheduled Event Set path you've chosen matches the selected remote "
         "Scheduled Event Set path.  Re-select your path and try again.",
         "The remote Scheduled Event Set path you've chosen matches the selected local "
         "Scheduled Event Set path.  Re-select your path and try again."},
    };
    // The other side differs only in letter case and by a trailing separator.
    const std::string shouted = dir.path() + "/A/";
    for (int category = 0; category < kCategoryCount; ++category) {
        for (const bool remote : {false, true}) {
            messages.clear();
            FormModel& f = app.form;
            TextBox& target = remote ? f.RemotePathBox(category) : f.LocalPathBox(category);
            TextBox& other = remote ? f.LocalPathBox(category) : f.RemotePathBox(category);
            target.SetText("unchanged");
            other.SetText(shouted);
            Browse(2 * category + (remote ? 1 : 0), a);
            EXPECT_FALSE(chooser.btnSave_Click());
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].title, "Duplicate Path Chosen");
            const auto& want = texts[static_cast<std::size_t>(category)];
            EXPECT_EQ(messages[0].text, remote ? want.second : want.first);
            EXPECT_EQ(target.Text(), "unchanged");
            EXPECT_TRUE(app.state.FileChooserOpen);
            other.SetText("");
            target.SetText("");
        }
    }
}

TEST_F(FolderChooserTest, AcceptedCategoryChoiceIsWrittenDiscardsStateAndValidates) {
    app.form.txtLTrigger.SetText(a);
    app.form.imgPathLink[3].SetTag("1");
    SeedState("Trigger Sets");
    SeedState("Hot Keys");
    Browse(7, b);
    EXPECT_TRUE(chooser.btnSave_Click());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(app.form.txtRTrigger.Text(), b);
    EXPECT_FALSE(HasState("Trigger Sets"));
    EXPECT_TRUE(HasState("Hot Keys"));
    EXPECT_EQ(app.form.imgPathLink[3].PictureId(), kPathLinkActive);
    EXPECT_FALSE(app.state.FileChooserOpen);
    EXPECT_FALSE(chooser.model.frmFileOpen.Visible());

    // Confirming the same folder again still discards the state.
    SeedState("Trigger Sets");
    Browse(7, b);
    EXPECT_TRUE(chooser.btnSave_Click());
    EXPECT_FALSE(HasState("Trigger Sets"));
}

TEST_F(FolderChooserTest, RemoteAudioChoiceIsCheckedAgainstEveryRow) {
    AddRow(a, kNotSpecified);
    AddRow(b, dir / "r1");
    AddRow(c, dir / "r2");
    MakeDirs(dir / "r2");
    app.form.lstRAudioPaths.SetListIndex(2);
    struct Case {
        std::string choice;
        std::string text;  // empty: accepted
    };
    const std::vector<Case> cases = {
        // Row 2's own local folder, and another row's local folder.
        {c, kDuplicateLocalAudioText},
        {a, kDuplicateLocalAudioText},
        // Another row's remote folder, in other letter case.
        {dir.path() + "/R1", kDuplicateRemoteAudioText},
        // Row 2's own remote folder is not compared.
        {dir / "r2", ""},
    };
    for (const Case& k : cases) {
        messages.clear();
        SeedState("Audio Folder 3");
        Browse(kChooserRemoteAudio, k.choice);
        const bool closed = chooser.btnSave_Click();
        EXPECT_EQ(closed, k.text.empty()) << k.choice;
        if (k.text.empty()) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(app.form.lstRAudioPaths.Item(2), dir / "r2");
            EXPECT_EQ(lineLink(2).Tag(), kTagActive);
            EXPECT_FALSE(HasState("Audio Folder 3"));
        } else {
            ASSERT_EQ(messages.size(), 1u) << k.choice;
            EXPECT_EQ(messages[0].title, "Duplicate Path Chosen");
            EXPECT_EQ(messages[0].text, k.text) << k.choice;
            EXPECT_TRUE(HasState("Audio Folder 3"));
        }
    }
}

TEST_F(FolderChooserTest, RemoteAudioChoiceSetsErrorWhenThePairIsNotUsable) {
    AddRow(dir / "gone", kNotSpecified);
    Browse(kChooserRemoteAudio, b);
    EXPECT_TRUE(chooser.btnSave_Click());
    EXPECT_EQ(app.form.lstRAudioPaths.Item(0), b);
    EXPECT_EQ(lineLink(0).Tag(), kTagError);
    EXPECT_EQ(lineLink(0).PictureId(), kLineLinkError);
}

TEST_F(FolderChooserTest, RemoteAudioChoiceWithoutRowsWritesNothing) {
    Browse(kChooserRemoteAudio, b);
    EXPECT_TRUE(chooser.btnSave_Click());
    EXPECT_EQ(app.form.lstRAudioPaths.ListCount(), 0u);
    EXPECT_FALSE(app.state.FileChooserOpen);
}

TEST_F(FolderChooserTest, NewAudioFolderIsRefusedWhenAnyRowUsesIt) {
    AddRow(a, kNotSpecified);
    AddRow(dir / "l1", b);
    // Whatever row is selected.
    app.form.lstLAudioPaths.SetListIndex(0);
    for (const auto& [choice, text] : std::vector<std::pair<std::string, std::string>>{
             {dir.path() + "/A", kDuplicateLocalAudioText}, {b, kDuplicateRemoteAudioText}}) {
        messages.clear();
        Browse(kChooserNewAudio, choice);
        EXPECT_FALSE(chooser.btnSave_Click());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, text);
    }
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 2u);
}

TEST_F(FolderChooserTest, NewAudioFolderAddsARowUpToTheLimit) {
    app.state.MaxAudioPaths = 2;
    AddRow(a, kNotSpecified);
    SeedState("Audio Folder 2");
    Browse(kChooserNewAudio, c);
    EXPECT_TRUE(chooser.btnSave_Click());
    ASSERT_EQ(app.form.lstLAudioPaths.ListCount(), 2u);
    EXPECT_EQ(app.form.lstLAudioPaths.Item(1), c);
    EXPECT_EQ(app.form.lstRAudioPaths.Item(1), kNotSpecified);
    EXPECT_TRUE(lineLink(1).Visible());
    EXPECT_EQ(lineLink(1).Tag(), kTagError);
    EXPECT_FALSE(app.form.btnBrowse[kBrowseAddAudio].Enabled());
    EXPECT_FALSE(HasState("Audio Folder 2"));
}

TEST_F(FolderChooserTest, BackupFolderIsTakenWithoutChecks) {
    app.form.txtLPLog.SetText(a);
    Browse(kChooserBackupFolder, a);
    EXPECT_TRUE(chooser.btnSave_Click());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(app.form.txtBackupDir.Text(), a);
}

TEST_F(FolderChooserTest, CancelClosesWithoutWriting) {
    SeedState("Program Logs");
    Browse(0, a);
    chooser.btnCancel_Click();
    EXPECT_FALSE(app.state.FileChooserOpen);
    EXPECT_FALSE(chooser.model.frmFileOpen.Visible());
    EXPECT_EQ(app.form.txtLPLog.Text(), "");
    EXPECT_TRUE(HasState("Program Logs"));
}

TEST_F(FolderChooserTest, TypedPathChangeDiscardsThatPairsState) {
    SeedState("Hot Keys");
    SeedState("Sched Events Sets");
    app.form.txtRHotkey.SetText(b);
    // Unchanged text, or a field that is no path field, keeps every state.
    EXPECT_FALSE(PathField_Edited(app.ctx, "txtRHotkey", b));
    EXPECT_FALSE(PathField_Edited(app.ctx, "txtBackupDir", "old"));
    EXPECT_TRUE(HasState("Hot Keys"));
    // On Linux a change of letter case names another folder.
    EXPECT_TRUE(PathField_Edited(app.ctx, "txtRHotkey", dir.path() + "/B"));
    EXPECT_FALSE(HasState("Hot Keys"));
    EXPECT_TRUE(HasState("Sched Events Sets"));
}

TEST(DriveListTest, ListsTheRootFirstThenTheMountsAnOperatorUses) {
    const std::string mounts =
        "sysfs /sys sysfs rw 0 0\n"
        "proc /proc proc rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "/dev/sda1 /boot/efi vfat rw 0 0\n"
        // A container's bind-mounted files are no folders to pick.
        "/dev/sda2 /etc/hosts ext4 rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "/dev/sdb1 /media/operator/USB\\040STICK vfat rw 0 0\n"
        "//studio/audio /srv/audio cifs rw 0 0\n"
        "nas:/export /mnt/nas nfs4 rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "nas:/export /mnt/nas nfs4 rw 0 0\n"
        "garbage\n";
    const std::vector<std::string> want = {"/", "/home", "/media/operator/USB STICK", "/mnt/nas",
                                           "/srv/audio"};
    EXPECT_EQ(DriveListFromMounts(mounts), want);
    EXPECT_EQ(DriveListFromMounts(""), std::vector<std::string>{"/"});
}

TEST(DriveListTest, PathBelongsToTheInnermostMount) {
    const std::vector<std::string> drives = {"/", "/mnt/nas", "/mnt/nas/deep"};
    EXPECT_EQ(DriveOfPath(drives, "/mnt/nas/deep/x"), "/mnt/nas/deep");
    EXPECT_EQ(DriveOfPath(drives, "/mnt/nas"), "/mnt/nas");
    EXPECT_EQ(DriveOfPath(drives, "/mnt/nasty"), "/");
    EXPECT_EQ(DriveOfPath(drives, "relative"), "");
}

}  // namespace
}  // namespace vfs
