#include "config/reload_paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "config/automation_settings.h"
#include "engine/pair_links.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::TempDir;
using test::TestApp;
using test::WriteFile;

// Remembers which application titles were asked for.
class RecordingStore : public AutomationSettingsStore {
  public:
    explicit RecordingStore(std::string folder) : files_(std::move(folder)) {}
    mutable std::vector<std::string> titles;
    std::optional<std::string> Read(const std::string& title, const std::string& section,
                                    const std::string& key) const override {
        titles.push_back(title);
        return files_.Read(title, section, key);
    }
    bool Holds(const std::string& title) const override { return files_.Holds(title); }
    std::string Place() const override { return files_.Place(); }
    std::string EntryName(const std::string& title) const override {
        return files_.EntryName(title);
    }

  private:
    IniAutomationSettingsStore files_;
};

class ReloadPathsTest : public ::testing::Test {
  protected:
    TempDir program;
    TempDir automation;
    RecordingStore store{automation.path()};
    TestApp app{program.path()};

    void SetUp() override { app.ports.automationSettings = &store; }

    void FillAllPaths() {
        for (int c = 0; c < kCategoryCount; ++c) {
            app.form.LocalPathBox(c).SetText("/old/local");
            app.form.RemotePathBox(c).SetText("/old/remote");
        }
        app.form.lstLAudioPaths.AddItem("/old/audio");
        app.form.lstRAudioPaths.AddItem("/old/remote audio");
    }
};

// The automation system's defaults are folders of a Windows installation.
TEST_F(ReloadPathsTest, WithoutStoredSettingsOnWindowsTheDefaultsFillTheLocalSide) {
    FillAllPaths();
    EXPECT_TRUE(ReloadPaths(app.ctx, 0, PathStyle::Windows));

    const char* expected[] = {"C:\\KVO32\\Logs", "C:\\KVO32\\Text", "C:\\KVO32\\Video", "C:\\KVO32",
                              "C:\\KVO32",       "C:\\KVO32",       "C:\\KVO32"};
    for (int c = 0; c < kCategoryCount; ++c) {
        EXPECT_EQ(app.form.LocalPathBox(c).Text(), expected[c]) << c;
        EXPECT_EQ(app.form.RemotePathBox(c).Text(), "") << c;
    }
    EXPECT_EQ(app.form.lstLAudioPaths.Items(), std::vector<std::string>{"C:\\KVO32\\Audio"});
    EXPECT_EQ(app.form.lstRAudioPaths.Items(), std::vector<std::string>{"<Not Specified>"});
    EXPECT_EQ(app.form.imgLineLink[0].Tag(), "-1");
    EXPECT_EQ(app.form.imgLineLink[0].PictureId(), kLineLinkError);
    EXPECT_TRUE(app.form.imgLineLink[0].Visible());
    // Every read leaves its trace.
    EXPECT_EQ(app.debugLines.front(),
              "GetSpecifiedInit AppTitle:Varnel, Section:Paths, Key:ProgramLogPath, "
              "Default:C:\\KVO32\\Logs");
    EXPECT_EQ(app.debugLines.size(), 7u + 16u);
}

// Elsewhere nothing is loaded without them: every path stays, and the button says why.
TEST_F(ReloadPathsTest, WithoutStoredSettingsOnLinuxNothingChangesAndTheButtonSaysSo) {
    FillAllPaths();
    EXPECT_FALSE(ReloadPaths(app.ctx, 0, PathStyle::Posix));
    EXPECT_EQ(app.form.txtLPLog.Text(), "/old/local");
    EXPECT_EQ(app.form.txtRPLog.Text(), "/old/remote");
    EXPECT_EQ(app.form.lstRAudioPaths.Items(), std::vector<std::string>{"/old/remote audio"});
    EXPECT_TRUE(store.titles.empty());
    EXPECT_EQ(NoAutomationSettingsText(app.ctx, 4),
              "No Varnel settings found in " + automation.path() +
                  " (Varnel4.ini, KVO.ini): the paths were left as they are");

    if (kNativeStyle == PathStyle::Windows) return;  // the button fills in the defaults there
    app.ports.messageBox = [](const std::string&, const std::string&, MessageBoxButtons) {
        return MessageBoxAnswer::Yes;
    };
    cmdLoadPaths_Click(app.ctx);
    EXPECT_EQ(app.form.txtRPLog.Text(), "/old/remote");
    const std::string said = "No Varnel settings found in " + automation.path() +
                             " (Varnel.ini, KVO.ini): the paths were left as they are";
    EXPECT_EQ(app.form.lblStatus.Caption().substr(8), " - " + said);
    ASSERT_EQ(app.form.lstCompletedTasks.ListCount(), 1u);
    EXPECT_EQ(app.form.lstCompletedTasks.Item(0).substr(8), " - Settings " + said);
}

// One of the two files is enough; a key it lacks leaves its box empty, never a C:\ folder.
TEST_F(ReloadPathsTest, OnLinuxEitherFileIsLoadedWithoutTheWindowsDefaults) {
    FillAllPaths();
    WriteFile(automation / "KVO.ini", "[AudioFilePaths]\nAudioPath0=/srv/audio\n");
    EXPECT_TRUE(ReloadPaths(app.ctx, 0, PathStyle::Posix));
    for (int c = 0; c < kCategoryCount; ++c) {
        EXPECT_EQ(app.form.LocalPathBox(c).Text(), "") << c;
        EXPECT_EQ(app.form.RemotePathBox(c).Text(), "") << c;
    }
    EXPECT_EQ(app.form.lstLAudioPaths.Items(), std::vector<std::string>{"/srv/audio"});

    std::remove((automation / "KVO.ini").c_str());
    app.form.lstLAudioPaths.Clear();
    app.form.lstRAudioPaths.Clear();
    WriteFile(automation / "Varnel.ini", "[Paths]\nProgramLogPath=/srv/logs\n");
    EXPECT_TRUE(ReloadPaths(app.ctx, 0, PathStyle::Posix));
    EXPECT_EQ(app.form.txtLPLog.Text(), "/srv/logs");
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 0u) << "no C:\\KVO32\\Audio row";
}

TEST_F(ReloadPathsTest, TheSessionChoosesTheTitleOfTheFixedFolders) {
    struct Case {
        int16_t session;
        const char* title;
    };
    WriteFile(automation / "KVO.ini", "[AudioFilePaths]\n");
    for (Case c : {Case{3, "Varnel3"}, Case{2, "Varnel2"}, Case{9, "Varnel9"}, Case{0, "Varnel"},
                   Case{1, "Varnel"}, Case{10, "Varnel"}, Case{-4, "Varnel"}}) {
        store.titles.clear();
        ReloadPaths(app.ctx, c.session);
        ASSERT_EQ(store.titles.size(), 7u + 16u);
        for (int i = 0; i < 7; ++i)
            EXPECT_EQ(store.titles[i], c.title) << c.session;
        for (int i = 7; i < 23; ++i)
            EXPECT_EQ(store.titles[i], "KVO") << c.session;
    }
}

TEST_F(ReloadPathsTest, ReadsTheAutomationSystemsFilesWithGapsInTheAudioList) {
    const std::string logs = program / "logs";
    test::MakeDirs(logs);
    WriteFile(automation / "Varnel2.ini", "[paths]\nProgramLogPath=" + logs + "\n");
    std::string audio = "[AudioFilePaths]\nAudioPath0=/a0\nAudioPath1=<NONE>\nAudioPath2=/a2\n";
    for (int i = 3; i < 18; ++i)
        audio += "AudioPath" + std::to_string(i) + "=/x\n";
    WriteFile(automation / "KVO.ini", audio);
    app.state.MaxAudioPaths = 2;
    app.form.imgLineLink[16].SetTag("1");

    ReloadPaths(app.ctx, 2);

    EXPECT_EQ(app.form.txtLPLog.Text(), logs);
    // A key the file lacks: the usual folder on Windows, nothing elsewhere.
    EXPECT_EQ(app.form.txtLText.Text(),
              kNativeStyle == PathStyle::Windows ? "C:\\KVO32\\Text" : "");
    // Entries 0, 2 and 3..15 (not 16 and 17), whatever MaxAudioPaths says.
    const auto& local = app.form.lstLAudioPaths;
    ASSERT_EQ(local.ListCount(), 15u);
    EXPECT_EQ(local.Item(0), "/a0");
    EXPECT_EQ(local.Item(1), "/a2");
    EXPECT_EQ(app.form.lstRAudioPaths.ListCount(), 15u);
    // Each row has the indicator of its own row, still waiting for a remote folder.
    EXPECT_EQ(app.form.imgLineLink[1].Tag(), "-1");
    EXPECT_TRUE(app.form.imgLineLink[1].Visible());
    EXPECT_EQ(app.form.imgLineLink[15].Tag(), "0");
    EXPECT_FALSE(app.form.imgLineLink[15].Visible());
    EXPECT_EQ(app.form.imgLineLink[16].Tag(), "1") << "beyond the sixteen entries: untouched";
}

TEST_F(ReloadPathsTest, TheButtonReloadsOnlyOnYes) {
    FillAllPaths();
    std::string asked;
    MessageBoxAnswer answer = MessageBoxAnswer::No;
    app.ports.messageBox = [&](const std::string& title, const std::string& text,
                               MessageBoxButtons buttons) {
        EXPECT_EQ(buttons, MessageBoxButtons::YesNo);
        asked = title + "|" + text;
        return answer;
    };
    app.form.txtSession.SetText("3");
    cmdLoadPaths_Click(app.ctx);
    EXPECT_EQ(asked,
              "Reload Paths From Varnel|Reloading paths from Varnel will clear all current path "
              "settings.\r\n\r\nAre you sure you want to proceed?");
    EXPECT_EQ(app.form.txtRPLog.Text(), "/old/remote");
    EXPECT_TRUE(store.titles.empty());

    answer = MessageBoxAnswer::Yes;
    WriteFile(automation / "KVO.ini", "[AudioFilePaths]\n");
    struct Case {
        const char* session;
        const char* title;
    };
    for (Case c : {Case{"3", "Varnel3"}, Case{"2.5", "Varnel2"}, Case{"abc", "Varnel"},
                   Case{"", "Varnel"}}) {
        store.titles.clear();
        app.form.txtSession.SetText(c.session);
        cmdLoadPaths_Click(app.ctx);
        ASSERT_FALSE(store.titles.empty());
        EXPECT_EQ(store.titles.front(), c.title) << c.session;
    }
    EXPECT_EQ(app.form.txtRPLog.Text(), "");
}

TEST(IniAutomationSettingsStoreTest, OneFilePerTitleInTheUsersConfigFolder) {
    TempDir dir;
    WriteFile(dir / "Varnel.ini", "[Paths]\r\nTextPath = \"/srv/text\"\r\n");
    IniAutomationSettingsStore store(dir.path());
    EXPECT_EQ(store.Read("Varnel", "paths", "TEXTPATH"), "/srv/text");
    EXPECT_EQ(store.Read("Varnel", "Paths", "VideoPath"), std::nullopt);
    EXPECT_EQ(store.Read("Varnel3", "Paths", "TextPath"), std::nullopt);
    EXPECT_EQ(store.Read("../Varnel", "Paths", "TextPath"), std::nullopt);
    EXPECT_EQ(IniAutomationSettingsStore("").Read("Varnel", "Paths", "TextPath"), std::nullopt);

    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedXdg = xdg ? xdg : "";
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(IniAutomationSettingsStore::DefaultFolder(), "/cfg/automation-settings");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') {
        EXPECT_EQ(IniAutomationSettingsStore::DefaultFolder(),
                  std::string(home) + "/.config/automation-settings");
    }
    if (xdg) {
        ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
}  // namespace vfs
