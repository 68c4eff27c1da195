#include "config/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "config/sync_settings.h"
#include "engine/file_helpers.h"
#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/speed_levels.h"
#include "platform/profile_file.h"
#include "support/temp_dir.h"
#include "support/test_app.h"

namespace vfs {
namespace {

using test::ReadFile;
using test::TempDir;
using test::TestApp;
using test::WriteFile;

TEST(IniValueTest, NumbersAndFlagsAsTheLoaderReadsThem) {
    struct Case {
        IniValue value;
        double val;
        std::optional<double> number;
        std::optional<bool> flag;
    };
    const Case cases[] = {
        {"300000", 300000, 300000, true},
        {" -2 ", -2, -2, true},
        {"0", 0, 0, false},
        {"12abc", 12, std::nullopt, std::nullopt},
        {"abc", 0, std::nullopt, std::nullopt},
        {"yes", 0, std::nullopt, true},
        {" Off ", 0, std::nullopt, false},
        {"maybe", 0, std::nullopt, std::nullopt},
        {"1 2", 12, std::nullopt, std::nullopt},
        {"2.5", 2.5, 2.5, true},
        {"1E3", 1000, 1000, true},
        {"true", 0, std::nullopt, true},
        {"", 0, std::nullopt, std::nullopt},
        {IniValue(true), 0, -1, true},
        {IniValue(false), 0, 0, false},
        {IniValue(30), 30, 30, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.ToText());
        EXPECT_EQ(c.value.Val(), c.val);
        EXPECT_EQ(c.value.ToNumber(), c.number);
        EXPECT_EQ(c.value.ToFlag(), c.flag);
    }
    EXPECT_EQ(IniValue(true).ToText(), "True");
    EXPECT_EQ(IniValue(-7).ToText(), "-7");
    // Halves go to the even neighbour; beyond the range ends at the limit.
    EXPECT_EQ(ToInt16(2.5), 2);
    EXPECT_EQ(ToInt16(3.5), 4);
    EXPECT_EQ(ToInt16(99999999999.0), 32767);
    EXPECT_EQ(ToInt32(-1e300), INT32_MIN);
}

// A fake of the automation system's settings.
class MapStore : public AutomationSettingsStore {
  public:
    std::map<std::string, std::string> values;  // "title/section/key"
    std::optional<std::string> Read(const std::string& title, const std::string& section,
                                    const std::string& key) const override {
        auto it = values.find(title + "/" + section + "/" + key);
        if (it == values.end()) return std::nullopt;
        return it->second;
    }
    bool Holds(const std::string& title) const override {
        auto it = values.lower_bound(title + "/");
        return it != values.end() && it->first.rfind(title + "/", 0) == 0;
    }
    std::string Place() const override { return "the map"; }
    std::string EntryName(const std::string& title) const override { return title; }
};

class SettingsStoreTest : public ::testing::Test {
  protected:
    TempDir dir;
    TestApp app{dir.path()};
    std::vector<std::pair<std::string, std::string>> prompts;

    void SetUp() override {
        app.ports.promptShown = [this](const std::string& title, const std::string& message) {
            prompts.emplace_back(title, message);
        };
    }
    std::string File() const { return dir / "VarnelFileSync.ini"; }
    std::optional<std::string> Stored(const std::string& section, const std::string& key) const {
        return platform::ReadProfileValue(File(), section, key);
    }
    // Loads a file of an installation that has run before, with these [Settings] lines.
    void LoadWith(const std::string& settingsLines) {
        WriteFile(File(), "[Settings]\r\nFirstRun=False\r\nAppPriority=3\r\n" + settingsLines);
        LoadSettings(app.ctx);
    }
};

TEST_F(SettingsStoreTest, GetInitFallsBackOnlyForMissingOrBlankValues) {
    WriteFile(File(), "[Settings]\nBlank=   \nLower=true\nWord=yes\nQuoted=\" FALSE \"\nLong=" +
                          std::string(600, 'x') + "\n");
    EXPECT_EQ(GetInit(app.ctx, "Settings", "Blank", 6), IniValue(6));
    EXPECT_EQ(GetInit(app.ctx, "Settings", "Missing", 300000), IniValue(300000));
    EXPECT_EQ(GetInit(app.ctx, "Nowhere", "Lower", "d"), IniValue("d"));
    EXPECT_EQ(GetInit(app.ctx, "settings", "LOWER", false), IniValue(true));
    EXPECT_EQ(GetInit(app.ctx, "Settings", "Word", false), IniValue("yes"));
    EXPECT_EQ(GetInit(app.ctx, "Settings", "Quoted", true), IniValue(false));
    EXPECT_EQ(GetInit(app.ctx, "Settings", "Long", "").ToText(), std::string(511, 'x'));
}

TEST_F(SettingsStoreTest, SaveInitWritesTheSessionsFileBesideTheProgram) {
    app.state.SettingsFolder.clear();
    app.state.SessionSuffix = "3";
    SaveInit(app.ctx, "Settings", "UnloadMode", 2);
    EXPECT_EQ(app.state.SettingsFolder, dir.path() + "/");
    EXPECT_EQ(ReadFile(dir / "VarnelFileSync3.ini"), "[Settings]\r\nUnloadMode=2\r\n");
    EXPECT_EQ(SettingsFilePath(app.ctx), dir / "VarnelFileSync3.ini");
}

TEST_F(SettingsStoreTest, GetSpecifiedInitTracesAndReadsTheAutomationStore) {
    EXPECT_EQ(GetSpecifiedInit(app.ctx, "Varnel", "Paths", "TextPath", "C:\\KVO32\\Text"),
              IniValue("C:\\KVO32\\Text"));
    ASSERT_EQ(app.debugLines.size(), 1u);
    EXPECT_EQ(app.debugLines[0],
              "GetSpecifiedInit AppTitle:Varnel, Section:Paths, Key:TextPath, "
              "Default:C:\\KVO32\\Text");

    MapStore store;
    store.values["KVO/AudioFilePaths/AudioPath0"] = "  /srv/audio  ";
    store.values["KVO/AudioFilePaths/AudioPath1"] = "True";
    app.ports.automationSettings = &store;
    EXPECT_EQ(GetSpecifiedInit(app.ctx, "KVO", "AudioFilePaths", "AudioPath0", "<NONE>"),
              IniValue("/srv/audio"));
    EXPECT_EQ(GetSpecifiedInit(app.ctx, "KVO", "AudioFilePaths", "AudioPath1", "<NONE>"),
              IniValue(true));
    EXPECT_EQ(GetSpecifiedInit(app.ctx, "KVO", "AudioFilePaths", "AudioPath2", "<NONE>"),
              IniValue("<NONE>"));
}

TEST_F(SettingsStoreTest, AFreshInstallationStartsWithTheDefaultsAndReloadsPaths) {
    LoadSettings(app.ctx);

    const ProgramState& s = app.state;
    EXPECT_EQ(s.AppPriority, 5);
    EXPECT_EQ(s.SyncCycle, 300000);
    EXPECT_EQ(app.form.lstSyncCycle.ItemData(app.form.lstSyncCycle.ListIndex()), 300000);
    EXPECT_EQ(app.form.cboSyncCycle.ItemData(app.form.cboSyncCycle.ListIndex()), 300000);
    EXPECT_EQ(s.MaxAudioPaths, 30);
    EXPECT_EQ(s.MaxCompletedTasks, 500);
    EXPECT_EQ(app.form.cboMaxLogItems.ListIndex(), 0);
    EXPECT_EQ(app.form.cboSyncSpeed.ListIndex(), 1);
    EXPECT_EQ(s.SleepTimeCopy, OnSelectionPauses(1).copyMs);
    EXPECT_EQ(s.SleepTimeSync, OnSelectionPauses(1).syncMs);
    EXPECT_TRUE(app.form.frmPaths.Visible());
    EXPECT_FALSE(app.form.cmdPage[0].Enabled());
    EXPECT_EQ(app.form.chkAutoScroll.Value(), 1);
    EXPECT_EQ(app.form.chkLogToFile.Value(), 0);
    EXPECT_EQ(app.form.cboNumFileBackups.ListIndex(), 0);
    EXPECT_TRUE(s.BackupType);
    EXPECT_FALSE(s.AutoSync || s.AutoStart || s.StartMinimized || s.ExtendedFolders);
    EXPECT_EQ(s.LastSyncTime, -1);
    EXPECT_TRUE(prompts.empty());

    // First run: the paths come from the automation system (its defaults on Windows), and
    // every audio row starts switched off. Elsewhere, with no settings of it, the paths stay
    // as the file has them and start-up says why.
    EXPECT_TRUE(s.FirstRun);
    if (kNativeStyle == PathStyle::Windows) {
        EXPECT_EQ(app.form.txtLPLog.Text(), "C:\\KVO32\\Logs");
        ASSERT_EQ(app.form.lstLAudioPaths.ListCount(), 1u);
        for (int i = 0; i < 30; ++i)
            EXPECT_EQ(app.form.imgLineLink[i].Tag(), "0") << i;
        EXPECT_FALSE(s.AutomationSettingsMissing);
    } else {
        EXPECT_EQ(app.form.txtLPLog.Text(), "");
        EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 0u);
        EXPECT_TRUE(s.AutomationSettingsMissing);
    }

    // Both markers are in the file at once.
    EXPECT_EQ(Stored("Settings", "FirstRun"), "False");
    EXPECT_EQ(Stored("Shutdown", "Abnormal"), "1");
}

TEST_F(SettingsStoreTest, StoredNumbersAreNormalisedOnLoad) {
    using Getter = std::function<long(const TestApp&)>;
    const Getter cycle = [](const TestApp& a) { return long{a.state.SyncCycle}; };
    const Getter rows = [](const TestApp& a) { return long{a.state.MaxAudioPaths}; };
    const Getter logItems = [](const TestApp& a) { return long{a.state.MaxCompletedTasks}; };
    const Getter backups = [](const TestApp& a) {
        return long{a.form.cboNumFileBackups.ListIndex()};
    };
    const Getter priority = [](const TestApp& a) { return long{a.state.AppPriority}; };
    const Getter speed = [](const TestApp& a) { return long{a.form.cboSyncSpeed.ListIndex()}; };
    const Getter page = [](const TestApp& a) {
        for (int i = 0; i < 4; ++i) {
            if (!a.form.cmdPage[i].Enabled()) return long{i};
        }
        return -1L;
    };
    struct Case {
        const char* line;
        Getter get;
        long expected;
    };
    const Case cases[] = {
        {"SyncCycle=250000", cycle, 300000},
        {"SyncCycle=60001", cycle, 120000},
        {"SyncCycle=120000", cycle, 120000},
        {"SyncCycle=0", cycle, 60000},
        {"SyncCycle=-5", cycle, 60000},
        {"SyncCycle=9999999", cycle, 3600000},
        {"SyncCycle=99999999999", cycle, 3600000},
        {"SyncCycle=soon", cycle, 300000},  // not a number: left as it was
        {"MaxAudioPaths=0", rows, 1},
        {"MaxAudioPaths=75", rows, 50},
        {"MaxAudioPaths=abc", rows, 1},  // a non-number reads as 0
        {"MaxAudioPaths=-3", rows, 1},
        {"MaxCompletedTasks=4501", logItems, 5000},
        {"MaxCompletedTasks=4500", logItems, 4500},
        {"MaxCompletedTasks=501", logItems, 1000},
        {"MaxCompletedTasks=10", logItems, 500},
        {"MaxCompletedTasks=lots", logItems, 500},
        {"MaxCompletedTasks=99999999999", logItems, 5000},
        {"NumFileBackups=9", backups, 4},
        {"NumFileBackups=-2", backups, 0},
        {"AppPriority=abc", priority, 0},
        {"SleepTimeCopy=0", speed, 0},
        {"SleepTimeCopy=4", speed, 2},
        {"SleepTimeCopy=25", speed, 3},
        {"SleepTimeCopy=26", speed, 4},
        {"PrevTabVisible=7", page, 3},
        {"PrevTabVisible=-1", page, 0},
        {"PrevTabVisible=2", page, 2},
    };
    for (const Case& c : cases) {
        TestApp fresh(dir.path());
        // The case's line comes first, so it wins over the later AppPriority.
        WriteFile(File(), std::string("[Settings]\r\n") + c.line +
                              "\r\nFirstRun=False\r\nAppPriority=3\r\n");
        LoadSettings(fresh.ctx);
        EXPECT_EQ(c.get(fresh), c.expected) << c.line;
    }
}

TEST_F(SettingsStoreTest, FlagsAcceptTheCommonWordsInAnyCase) {
    LoadWith(
        "AutoStart=true\r\nStartMinimized=yes\r\nExtendedFolders=TRUE\r\n"
        "EnableFileBackup=   \r\nAutoSync=1\r\nNumFileBackups=1\r\nBackupType=oFF\r\n"
        "[paths]\r\nPathEnabled0=No\r\nPathEnabled1=on\r\nPathEnabled2=2\r\n");
    EXPECT_TRUE(app.state.AutoStart);
    EXPECT_EQ(app.form.chkAutoStart.Value(), 1);
    EXPECT_TRUE(app.state.StartMinimized);
    EXPECT_EQ(app.form.chkStartMinimized.Value(), 1);
    EXPECT_FALSE(app.state.BackupType);
    EXPECT_EQ(app.form.imgPathLink[0].Tag(), kTagDisabled);
    // On, and then found without a path when the extended rows were shown.
    EXPECT_NE(app.form.imgPathLink[1].Tag(), kTagDisabled);
    // The category switch is on only for 1 among the numbers.
    EXPECT_EQ(app.form.imgPathLink[2].Tag(), kTagDisabled);
    EXPECT_TRUE(app.state.UnreadableSettings.empty());
    EXPECT_TRUE(app.state.ExtendedFolders);
    EXPECT_EQ(app.form.chkExtendedPaths.Value(), 1);
    EXPECT_EQ(app.form.chkEnableFileBackup.Value(), 0);
    EXPECT_TRUE(app.state.AutoSync);
    EXPECT_EQ(app.form.chkAutoSync.Value(), 1);
    EXPECT_EQ(app.form.lblBackupCopies.Caption(), "Copies to the Following Backup Directory:");
}

TEST_F(SettingsStoreTest, AnAbnormalShutdownDiscardsEveryStateFileAndKeepsTheMarker) {
    SaveStateFile(app.ctx, "Program Logs", {"a.kvo"}, false);
    SaveStateFile(app.ctx, "Audio Folder 3", {"b.wav"}, true);
    // A row above the default row limit, which is only read after the check.
    SaveStateFile(app.ctx, "Audio Folder 45", {"c.wav"}, false);
    WriteFile(File(),
              "[Settings]\r\nFirstRun=False\r\nAppPriority=3\r\n[Shutdown]\r\nAbnormal=1\r\n");

    LoadSettings(app.ctx);

    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].first, "Varnel File Sync Was Not Properly Shut Down");
    EXPECT_EQ(prompts[0].second,
              "Varnel File Sync was not shut down properly the last time it was run.\r\n"
              "A full update sync will be performed, meaning that all current files will be "
              "\r\n"
              "updated between the local and remote directories.  Deletions will not be \r\n"
              "retained and you will need to manually delete your desired files after the "
              "\r\n"
              "file sync process has completed.");
    std::vector<std::string> names;
    EXPECT_FALSE(LoadStateFile(app.ctx, "Program Logs", names, false));
    EXPECT_FALSE(LoadStateFile(app.ctx, "Audio Folder 3", names, true));
    EXPECT_FALSE(LoadStateFile(app.ctx, "Audio Folder 45", names, false));
    EXPECT_EQ(app.state.Abnormal, 1);
    EXPECT_EQ(Stored("Shutdown", "Abnormal"), "1");

    // A normal shutdown clears it; one with tasks still queued does not.
    SaveSettings(app.ctx);
    EXPECT_EQ(Stored("Shutdown", "Abnormal"), "0");
    app.form.lstTasksToDo.AddItem("Copy ...");
    SaveSettings(app.ctx);
    EXPECT_EQ(Stored("Shutdown", "Abnormal"), "1");
}

TEST_F(SettingsStoreTest, AudioRowsAndSwitchesLoadWithoutGapsAndSaveBack) {
    LoadWith(
        "MaxAudioPaths=4\r\n"
        "[Paths]\r\n"
        "LAudioPath0=/a\r\nRAudioPath0=/ra\r\n"
        "LAudioPath1=<Not Specified>\r\nAudioPathEnabled1=1\r\n"
        "LAudioPath2=/c\r\nAudioPathEnabled2=0\r\n"
        "LAudioPath4=/beyond the row limit\r\n"
        "PathEnabled3=0\r\n");

    const FormModel& f = app.form;
    ASSERT_EQ(f.lstLAudioPaths.Items(), (std::vector<std::string>{"/a", "/c"}));
    EXPECT_EQ(f.lstRAudioPaths.Items(), (std::vector<std::string>{"/ra", "<Not Specified>"}));
    // The row from entry 2 keeps its own switch (off), under the indicator of its row.
    EXPECT_EQ(f.imgLineLink[1].Tag(), "0");
    EXPECT_EQ(f.imgLineLink[1].PictureId(), kLineLinkDisabled);
    EXPECT_TRUE(f.imgLineLink[1].Visible());
    EXPECT_FALSE(f.imgLineLink[2].Visible());
    EXPECT_TRUE(f.btnBrowse[15].Enabled());
    // The "paths" switches share the section of the path keys.
    EXPECT_EQ(f.imgPathLink[3].Tag(), "0");
    EXPECT_EQ(f.imgPathLink[3].PictureId(), kPathLinkDisabled);
    EXPECT_NE(f.imgPathLink[0].Tag(), "0");

    SaveSettings(app.ctx);
    EXPECT_EQ(Stored("Paths", "LAudioPath1"), "/c");
    EXPECT_EQ(Stored("Paths", "RAudioPath1"), "<Not Specified>");
    EXPECT_EQ(Stored("Paths", "AudioPathEnabled0"), "1");
    EXPECT_EQ(Stored("Paths", "AudioPathEnabled1"), "0");
    for (const char* key : {"LAudioPath2", "RAudioPath2", "LAudioPath3", "RAudioPath3"}) {
        EXPECT_EQ(Stored("Paths", key), "<Not Specified>") << key;
    }
    EXPECT_EQ(Stored("Paths", "AudioPathEnabled3"), "0");
    EXPECT_EQ(Stored("Paths", "PathEnabled3"), "0");
    EXPECT_EQ(Stored("Paths", "PathEnabled0"), "1");
    EXPECT_EQ(Stored("Settings", "MaxAudioPaths"), "4") << "never written back";
}

// Saved files have no gaps, so a gap was made by hand: the rows behind it now carry other
// numbers than their state files, which hold the names of other folders.
TEST_F(SettingsStoreTest, RowsMovedUpOverAGapLoseTheStateOfTheirNewNumber) {
    for (int n = 1; n <= 4; ++n)
        SaveStateFile(app.ctx, "Audio Folder " + std::to_string(n), {"x.wav"}, false);
    LoadWith(
        "[Paths]\r\nLAudioPath0=/a\r\nLAudioPath1=<Not Specified>\r\nLAudioPath2=/c\r\n"
        "LAudioPath3=/d\r\n");
    ASSERT_EQ(app.form.lstLAudioPaths.ListCount(), 3u);
    std::vector<std::string> names;
    EXPECT_TRUE(LoadStateFile(app.ctx, "Audio Folder 1", names, false)) << "row 0 kept its number";
    EXPECT_FALSE(LoadStateFile(app.ctx, "Audio Folder 2", names, false)) << "now /c";
    EXPECT_FALSE(LoadStateFile(app.ctx, "Audio Folder 3", names, false)) << "now /d";
    EXPECT_TRUE(LoadStateFile(app.ctx, "Audio Folder 4", names, false)) << "no row: untouched";
}

TEST_F(SettingsStoreTest, TheAddButtonIsOffWhenTheRowsAreFull) {
    LoadWith("MaxAudioPaths=2\r\n[Paths]\r\nLAudioPath0=/a\r\nLAudioPath1=/b\r\n");
    EXPECT_EQ(app.form.lstLAudioPaths.ListCount(), 2u);
    EXPECT_FALSE(app.form.btnBrowse[15].Enabled());
}

TEST_F(SettingsStoreTest, DamagedFilesLoadAsTheTableSaysAndAreSavedWhole) {
    const std::string damaged[] = {
        "",
        "[Settings]\r\nFirstRun=False\r\nSyncCycle=90",  // cut off in the middle of a line
        "[Settings]\r\nFirstRun=False\r\nSyncCycle=90000\r\n[Settings]\r\nSyncCycle=1\r\n",
        "[Settings]\r\nFirstRun=False\r\nSyncCycle=" + std::string(600, '9') + "\r\n",
        "\x01\x02garbage without structure\n[",
    };
    for (const std::string& text : damaged) {
        TestApp fresh(dir.path());
        WriteFile(File(), text);
        LoadSettings(fresh.ctx);
        EXPECT_EQ(fresh.state.SyncCycle % 60000, 0) << text;
        SaveSettings(fresh.ctx);

        // What was saved loads back to the same values.
        TestApp again(dir.path());
        LoadSettings(again.ctx);
        EXPECT_FALSE(again.state.FirstRun);
        EXPECT_EQ(again.state.SyncCycle, fresh.state.SyncCycle);
        EXPECT_EQ(again.state.MaxCompletedTasks, fresh.state.MaxCompletedTasks);
        EXPECT_EQ(Stored("Shutdown", "Abnormal"), "1");
    }
    // The cut-off line reads as what is there; the duplicate section loses to the first.
    WriteFile(File(), damaged[1]);
    TestApp cut(dir.path());
    LoadSettings(cut.ctx);
    EXPECT_EQ(cut.state.SyncCycle, 60000);
    WriteFile(File(), damaged[2]);
    TestApp duplicate(dir.path());
    LoadSettings(duplicate.ctx);
    EXPECT_EQ(duplicate.state.SyncCycle, 120000);
}

TEST_F(SettingsStoreTest, AnUnwritableFileLosesTheWritesButStaysIntact) {
    const std::string original =
        "[Settings]\r\nFirstRun=False\r\nAppPriority=3\r\nSyncCycle=600000\r\n";
    WriteFile(File(), original);
    ASSERT_EQ(::chmod(File().c_str(), 0444), 0);
    LoadSettings(app.ctx);
    EXPECT_EQ(app.state.SyncCycle, 600000);
    app.state.SyncCycle = 60000;
    SaveSettings(app.ctx);
    EXPECT_EQ(ReadFile(File()), original);
}

// A run and a close while busy set shorter pauses for themselves; what is saved is the level
// the operator chose, so the next start finds the same level.
TEST_F(SettingsStoreTest, TheChosenSpeedLevelIsSavedWhateverPausesAreInForce) {
    for (int level = 0; level < static_cast<int>(kSpeedLevels.size()); ++level) {
        const SpeedPauses chosen = OnSelectionPauses(level);
        LoadWith("SleepTimeCopy=" + std::to_string(chosen.copyMs) +
                 "\r\nSleepTimeSync=" + std::to_string(chosen.syncMs) + "\r\n");
        ASSERT_EQ(app.form.cboSyncSpeed.ListIndex(), level);
        for (SpeedPauses inForce : {RunSpeedPauses(level), SpeedPauses{0, 0}}) {
            app.state.SleepTimeCopy = inForce.copyMs;
            app.state.SleepTimeSync = inForce.syncMs;
            SaveSettings(app.ctx);
            EXPECT_EQ(Stored("Settings", "SleepTimeCopy"), std::to_string(chosen.copyMs)) << level;
            EXPECT_EQ(Stored("Settings", "SleepTimeSync"), std::to_string(chosen.syncMs)) << level;
        }
    }
}

TEST_F(SettingsStoreTest, ALoadThenSaveReproducesAFullyPopulatedFile) {
    const std::string full =
        "; settings of the studio B playout machine\r\n"
        "[Settings]\r\n"
        "FirstRun=False\r\n"
        "AppPriority=3\r\n"
        "MaxAudioPaths=4\r\n"
        "SyncCycle=900000\r\n"
        "AutoStart=True\r\n"
        "AutoSync=True\r\n"
        "StartMinimized=True\r\n"
        "EnableFileBackup=True\r\n"
        "NumFileBackups=2\r\n"
        "FileBackupPath=/srv/backup/\r\n"
        "SleepTimeCopy=25\r\n"
        "SleepTimeSync=50\r\n"
        "MaxCompletedTasks=2500\r\n"
        "ExtendedFolders=True\r\n"
        "BackupType=False\r\n"
        "PrevTabVisible=2\r\n"
        "AutoScroll=0\r\n"
        "LogToFile=1\r\n"
        "UnloadMode=0\r\n"
        "\r\n"
        "[Shutdown]\r\n"
        "Abnormal=0\r\n"
        "\r\n"
        "[Paths]\r\n"
        "LPLog=/mnt/kvo/Logs\r\nRPLog=/srv/share/Logs\r\n"
        "LText=/mnt/kvo/Text\r\nRText=/srv/share/Text\r\n"
        "LVideo=/mnt/kvo/Video\r\nRVideo=/srv/share/Video\r\n"
        "LTrigger=/mnt/kvo\r\nRTrigger=/srv/share\r\n"
        "LHotkey=/mnt/kvo/keys\r\nRHotkey=/srv/share/keys\r\n"
        "LSerial=/mnt/kvo/ser\r\nRSerial=/srv/share/ser\r\n"
        "LSched=/mnt/kvo/skd\r\nRSched=/srv/share/skd\r\n"
        "LAudioPath0=/mnt/audio/0\r\nRAudioPath0=/srv/audio/0\r\n"
        "LAudioPath1=/mnt/audio/1\r\nRAudioPath1=<Not Specified>\r\n"
        "LAudioPath2=/mnt/audio/2\r\nRAudioPath2=/srv/audio/2\r\n"
        "LAudioPath3=<Not Specified>\r\nRAudioPath3=<Not Specified>\r\n"
        "PathEnabled0=1\r\nPathEnabled1=1\r\nPathEnabled2=0\r\nPathEnabled3=1\r\n"
        "PathEnabled4=1\r\nPathEnabled5=0\r\nPathEnabled6=1\r\n"
        "AudioPathEnabled0=1\r\nAudioPathEnabled1=0\r\nAudioPathEnabled2=1\r\n"
        "AudioPathEnabled3=0\r\n";
    WriteFile(File(), full);

    LoadSettings(app.ctx);
    EXPECT_TRUE(prompts.empty());
    EXPECT_EQ(app.form.txtRSched.Text(), "/srv/share/skd");
    EXPECT_EQ(app.form.txtBackupDir.Text(), "/srv/backup/");
    EXPECT_FALSE(app.state.BackupType);
    SaveSettings(app.ctx);

    EXPECT_EQ(ReadFile(File()), full);
}

}  // namespace
}  // namespace vfs

namespace vfs {
namespace {

TEST_F(SettingsStoreTest, UnreadableValuesAreNamedAndSavedBackAsTyped) {
    std::vector<std::string> notices;
    app.ports.operatorNotice = [&](const std::string& text) { notices.push_back(text); };
    LoadWith(
        "EnableFileBackup=maybe\r\nSyncCycle=5min\r\nAutoSync=sometimes\r\n"
        "MaxCompletedTasks=lots\r\nStartMinimized=Yes\r\n"
        "[paths]\r\nPathEnabled3=perhaps\r\n");
    ReportUnreadableSettings(app.ctx);
    // Each unreadable value runs as the value named, the readable ones as they say.
    EXPECT_EQ(app.form.chkEnableFileBackup.Value(), 0);
    EXPECT_EQ(app.state.SyncCycle, 300000);
    EXPECT_FALSE(app.state.AutoSync);
    EXPECT_EQ(app.state.MaxCompletedTasks, 500);
    EXPECT_TRUE(app.state.StartMinimized);
    EXPECT_EQ(app.form.imgPathLink[3].Tag(), kTagDisabled);
    const std::vector<std::string> expected = {
        "Unreadable setting [paths] PathEnabled3=perhaps (not a flag: 1/0, True/False, Yes/No, "
        "On/Off); using 0, kept as typed in the file",
        "Unreadable setting [Settings] SyncCycle=5min (not a number); using 300000, kept as typed "
        "in the file",
        "Unreadable setting [Settings] AutoSync=sometimes (not a flag: 1/0, True/False, Yes/No, "
        "On/Off); using False, kept as typed in the file",
        "Unreadable setting [Settings] EnableFileBackup=maybe (not a flag: 1/0, True/False, "
        "Yes/No, On/Off); using False, kept as typed in the file",
        "Unreadable setting [Settings] MaxCompletedTasks=lots (not a number); using 500, kept as "
        "typed in the file",
    };
    EXPECT_EQ(notices, expected);
    EXPECT_TRUE(app.form.lblStatus.Caption().ends_with(expected.back()));
    ASSERT_GE(app.form.lstCompletedTasks.ListCount(), expected.size());

    // The operator changes one of them in the window; the others stay as typed.
    app.state.AutoSync = true;
    SaveSettings(app.ctx);
    EXPECT_EQ(Stored("Settings", "EnableFileBackup"), "maybe");
    EXPECT_EQ(Stored("Settings", "SyncCycle"), "5min");
    EXPECT_EQ(Stored("Settings", "MaxCompletedTasks"), "lots");
    EXPECT_EQ(Stored("paths", "PathEnabled3"), "perhaps");
    EXPECT_EQ(Stored("Settings", "AutoSync"), "True");
    EXPECT_EQ(Stored("Settings", "StartMinimized"), "True");
}

}  // namespace
}  // namespace vfs
