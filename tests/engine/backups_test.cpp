#include "engine/backups.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::Exists;
using test::ReadFile;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

struct BackupTest : ::testing::Test {
    TempDir dir;
    TestApp app{dir / "prog"};
    std::string root = dir / "bak";
    std::string source = dir / "local/";

    void SetUp() override {
        app.form.chkEnableFileBackup.SetValue(1);
        app.form.txtBackupDir.SetText(root);
        app.form.cboNumFileBackups.SetListIndex(4);
        app.state.BackupType = true;
        test::MakeDirs(root);  // a run creates the root before any backup is made
    }
    std::string Slot(const std::string& folder, int k, const std::string& name) const {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%03d", k);
        return root + "/" + folder + "/" + buf + "/" + name;
    }
    std::vector<std::string> Completed() const { return app.form.lstCompletedTasks.Items(); }
};

TEST_F(BackupTest, DisabledBackupsAnswerTrueAndWriteNothing) {
    app.form.chkEnableFileBackup.SetValue(0);
    WriteFile(source + "a.kvo", "x");
    EXPECT_TRUE(CreateBackup(app.ctx, "a.kvo", source, "Program Logs"));
    EXPECT_FALSE(Exists(root + "/Program_Logs"));
    EXPECT_TRUE(Completed().empty());
}

TEST_F(BackupTest, FolderTypeCopyGoesBelowTheCategoryAndRootGetsItsSeparator) {
    WriteFile(source + "a.skd", "events");
    ASSERT_TRUE(CreateBackup(app.ctx, "a.skd", dir / "local", "Sched Events Sets"));
    EXPECT_EQ(ReadFile(Slot("Sched_Events_Sets", 1, "a.skd")), "events");
    EXPECT_EQ(app.form.txtBackupDir.Text(), root + "/");
    EXPECT_EQ(Completed(),
              (std::vector<std::string>{"14:02:11 - Backup  \"" + source + "a.skd\", \"" + root +
                                        "/Sched_Events_Sets/001/a.skd\""}));
}

TEST_F(BackupTest, SourceDirectoryCopyRepeatsTheSourcePathBelowTheRoot) {
    app.state.BackupType = false;
    WriteFile(source + "data/logs/a.kvo", "log");
    ASSERT_TRUE(CreateBackup(app.ctx, "a.kvo", source + "data/logs", "Program Logs"));
    // The source's absolute path, leading separator dropped, below the root.
    EXPECT_EQ(ReadFile(root + "/" + (source + "data/logs/").substr(1) + "001/a.kvo"), "log");
    EXPECT_EQ(BackupFolderFor("/bak/", "/data//logs/", "", false), "/bak/data/logs/");
}

TEST_F(BackupTest, RotationKeepsAtMostNCopiesInSlotsWithoutGaps) {
    struct Case {
        const char* title;
        int copiesKept;
        std::vector<int> slotsBefore;           // each slot holds "old<slot>"
        std::map<int, std::string> slotsAfter;  // slot -> content, every other slot empty
    } cases[] = {
        {"three of three", 3, {1, 2, 3}, {{1, "old2"}, {2, "old3"}, {3, "new"}}},
        {"gaps closed", 5, {2, 4}, {{1, "old2"}, {2, "old4"}, {3, "new"}}},
        {"N lowered from 5 to 2", 2, {1, 2, 3, 4, 5}, {{1, "old5"}, {2, "new"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        TempDir caseDir;
        root = caseDir / "bak";
        source = caseDir / "local/";
        app.form.txtBackupDir.SetText(root);
        app.form.cboNumFileBackups.SetListIndex(c.copiesKept - 1);
        for (int k : c.slotsBefore)
            WriteFile(Slot("Hot_Keys", k, "f.key"), "old" + std::to_string(k));
        WriteFile(source + "f.key", "new");

        ASSERT_TRUE(CreateBackup(app.ctx, "f.key", source, "Hot Keys"));

        for (int k = 1; k <= 5; ++k) {
            auto it = c.slotsAfter.find(k);
            if (it == c.slotsAfter.end()) {
                EXPECT_FALSE(Exists(Slot("Hot_Keys", k, "f.key"))) << k;
                EXPECT_FALSE(Exists(root + "/Hot_Keys/00" + std::to_string(k))) << "left empty";
            } else {
                EXPECT_EQ(ReadFile(Slot("Hot_Keys", k, "f.key")), it->second) << k;
            }
        }
    }
}

TEST_F(BackupTest, LocalAndRemoteFilesOfACategoryShareOneRotation) {
    app.form.cboNumFileBackups.SetListIndex(1);
    WriteFile(dir / "L/a.trg", "local");
    WriteFile(dir / "R/a.trg", "remote");
    WriteFile(Slot("Trigger_Sets", 6, "other"), "slots above 005 are not ours");
    ASSERT_TRUE(CreateBackup(app.ctx, "a.trg", dir / "L", "Trigger Sets"));
    ASSERT_TRUE(CreateBackup(app.ctx, "a.trg", dir / "R", "Trigger Sets"));
    ASSERT_TRUE(CreateBackup(app.ctx, "a.trg", dir / "L", "Trigger Sets"));
    EXPECT_EQ(ReadFile(Slot("Trigger_Sets", 1, "a.trg")), "remote");
    EXPECT_EQ(ReadFile(Slot("Trigger_Sets", 2, "a.trg")), "local");
    EXPECT_TRUE(Exists(Slot("Trigger_Sets", 6, "other")));
}

TEST_F(BackupTest, FailuresAnswerFalseWithTheFailedLine) {
    const std::string failed = "14:02:11 - Backup Fail \"";
    auto lastLineFailed = [&] { return Completed().back().rfind(failed, 0) == 0; };
    // Source folder missing: nothing chosen yet, slot 000.
    EXPECT_FALSE(CreateBackup(app.ctx, "a.kvo", dir / "nowhere", "Program Logs"));
    EXPECT_EQ(Completed().back(),
              failed + dir.path() + "/nowhere/a.kvo\", \"" + root + "/Program_Logs/000/a.kvo\"");
    // Source file missing.
    test::MakeDirs(source);
    EXPECT_FALSE(CreateBackup(app.ctx, "gone.kvo", source, "Program Logs"));
    EXPECT_TRUE(lastLineFailed());
    // Backup folder cannot be created.
    WriteFile(source + "a.kvo", "x");
    WriteFile(dir / "file-as-root", "");
    app.form.txtBackupDir.SetText(dir / "file-as-root");
    EXPECT_FALSE(CreateBackup(app.ctx, "a.kvo", source, "Program Logs"));
    EXPECT_TRUE(lastLineFailed());
    // Folder type without a category: no line at all.
    const std::size_t lines = Completed().size();
    EXPECT_FALSE(CreateBackup(app.ctx, "a.kvo", source, ""));
    EXPECT_EQ(Completed().size(), lines);
}

// An unreachable root answers no free space: the line warns, the copy is still tried.
TEST_F(BackupTest, SpaceLineDoesNotStopTheCopy) {
    const std::string missingRoot = dir / "later/bak";
    app.form.txtBackupDir.SetText(missingRoot);
    WriteFile(source + "a.kvo", "12345");
    ASSERT_TRUE(CreateBackup(app.ctx, "a.kvo", source, "Program Logs"));
    EXPECT_EQ(Completed().front(), "14:02:11 - Backup Fail (Insufficient Free Disk Space (5)) \"" +
                                       source + "a.kvo\", \"" + missingRoot +
                                       "/Program_Logs/ (0))\"");
    EXPECT_EQ(ReadFile(missingRoot + "/Program_Logs/001/a.kvo"), "12345");
    EXPECT_EQ(Completed().size(), 2u);
}

TEST_F(BackupTest, OldCopyThatCannotBeRotatedOutFailsAndKeepsIt) {
    app.form.cboNumFileBackups.SetListIndex(0);
    WriteFile(source + "a.kvo", "new");
    WriteFile(Slot("Program_Logs", 1, "a.kvo"), "old");
    ::chmod(Slot("Program_Logs", 1, "a.kvo").c_str(), 0444);
    EXPECT_FALSE(CreateBackup(app.ctx, "a.kvo", source, "Program Logs"));
    EXPECT_EQ(ReadFile(Slot("Program_Logs", 1, "a.kvo")), "old");
    EXPECT_NE(Completed().back().find(" - Backup Fail \""), std::string::npos);
}

TEST_F(BackupTest, NoRootMeansNoBackupRatherThanARelativeFolder) {
    app.form.txtBackupDir.SetText("");
    WriteFile(source + "a.kvo", "x");
    EXPECT_FALSE(CreateBackup(app.ctx, "a.kvo", source, "Program Logs"));
    EXPECT_FALSE(Exists("Program_Logs"));
}

TEST(BackupOptions, CopiesCaptionFollowsTheNumberOfCopies) {
    TestApp app;
    for (int index : {-1, 0, 1, 4}) {
        app.form.cboNumFileBackups.SetListIndex(index);
        cboNumFileBackups_Click(app.ctx);
        EXPECT_EQ(app.form.lblBackupCopies.Caption(),
                  index >= 1 ? "Copies to the Following Backup Directory:"
                             : "Copy to the Following Backup Directory:");
    }
}

TEST(BackupOptions, StructureTypeFollowsTheClickedOption) {
    TestApp app;
    optDirectoryBackups_Click(app.ctx, 1);
    EXPECT_FALSE(app.state.BackupType);
    EXPECT_EQ(app.form.optDirectoryBackups[0].Value(), 0);
    EXPECT_EQ(app.form.optDirectoryBackups[1].Value(), 1);
    EXPECT_EQ(app.form.lblBackupTypeInfo.Caption(),
              "Creates equivalent directory structures for each unique directory, creating a "
              "backup set for each local folder and each remote folder separately.  The number of "
              "backup copies chosen is the number of files for each unique source directory "
              "individually, potentially double the number of files as Folder-Type Specific "
              "backup.");
    optDirectoryBackups_Click(app.ctx, 0);
    EXPECT_TRUE(app.state.BackupType);
    EXPECT_EQ(app.form.optDirectoryBackups[1].Value(), 0);
    EXPECT_EQ(app.form.lblBackupTypeInfo.Caption(),
              "Creates a single backup set incorporating both local && remote files in a "
              "folder-specific backup structure.  The number of backup copies chosen is the "
              "number of local AND remote files combined per folder type.");
}

}  // namespace
}  // namespace vfs
