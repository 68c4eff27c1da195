#include "config/settings_store.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <utility>

#include "config/pages.h"
#include "config/reload_paths.h"
#include "config/sync_settings.h"
#include "engine/activity_log.h"
#include "engine/backups.h"
#include "engine/file_helpers.h"
#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/folder_categories.h"
#include "form/speed_levels.h"
#include "platform/priority.h"
#include "platform/profile_file.h"

namespace vfs {

namespace {

constexpr const char* kProgramTitle = "VarnelFileSync";
constexpr int32_t kFileDateToleranceSeconds = 8;

constexpr const char* kAbnormalTitle = "Varnel File Sync Was Not Properly Shut Down";
constexpr const char* kAbnormalMessage =
    "Varnel File Sync was not shut down properly the last time it was run.\r\n"
    "A full update sync will be performed, meaning that all current files will be \r\n"
    "updated between the local and remote directories.  Deletions will not be \r\n"
    "retained and you will need to manually delete your desired files after the \r\n"
    "file sync process has completed.";

void EnsureSettingsFolder(Context& ctx) {
    if (ctx.state.SettingsFolder.empty()) ctx.state.SettingsFolder = ctx.ports.programFolder;
    ctx.state.SettingsFolder = WithTrailingSeparator(ctx.state.SettingsFolder);
}

int16_t Clamp16(int16_t value, int16_t low, int16_t high) {
    return value < low ? low : (value > high ? high : value);
}

// --- Normalisation of loaded numbers ---

int32_t SnapSyncCycle(int32_t ms) {
    static constexpr std::array<std::pair<int32_t, int32_t>, 13> kAbove = {{
        {2700000, 3600000},
        {1800000, 2700000},
        {1200000, 1800000},
        {900000, 1200000},
        {600000, 900000},
        {540000, 600000},
        {480000, 540000},
        {420000, 480000},
        {360000, 420000},
        {300000, 360000},
        {240000, 300000},
        {180000, 240000},
        {120000, 180000},
    }};
    for (const auto& [above, cycle] : kAbove) {
        if (ms > above) return cycle;
    }
    return ms <= 60000 ? 60000 : 120000;
}

// Position in the log-size list: 500, 1000, ... 5000; a value between two items goes up.
int MaxLogItemsPosition(int32_t maxCompletedTasks) {
    if (maxCompletedTasks <= 500) return 0;
    if (maxCompletedTasks > 4500) return 9;
    return (maxCompletedTasks + 499) / 500 - 1;
}

// --- LoadSettings, one function per step ---

bool TagIsOff(const Picture& indicator) {
    return IndicatorTagValue(indicator.Tag()) == 0;
}

IniValue Setting(const Context& ctx, const char* key, const IniValue& defaultValue) {
    return GetInit(ctx, "Settings", key, defaultValue);
}

constexpr const char* kFlagKind = "a flag";
constexpr const char* kNumberKind = "a number";

// A value that is there but cannot be read as its kind is remembered: the operator is told
// about it, and it is written back as typed unless the value in force changes meanwhile.
void NoteUnreadable(Context& ctx, const std::string& section, const std::string& key,
                    const IniValue& typed, const char* kind, const IniValue& used) {
    ctx.state.UnreadableSettings.push_back({section, key, typed.ToText(), used.ToText(), kind});
}

void CheckNumber(Context& ctx, const std::string& section, const std::string& key,
                 const IniValue& value, const IniValue& used) {
    if (!value.ToNumber()) NoteUnreadable(ctx, section, key, value, kNumberKind, used);
}

// The flag in the value, or the fallback when the value is none, which is then noted.
bool ReadFlag(Context& ctx, const std::string& section, const std::string& key,
              const IniValue& value, bool fallback) {
    if (std::optional<bool> flag = value.ToFlag()) return *flag;
    NoteUnreadable(ctx, section, key, value, kFlagKind, fallback);
    return fallback;
}

void SetIndicator(Picture& indicator, bool on, const char* activePicture,
                  const char* disabledPicture) {
    indicator.SetTag(on ? kTagActive : kTagDisabled);
    indicator.SetPictureId(on ? activePicture : disabledPicture);
}

// Assigns a loaded flag; text that is no flag leaves the variable as it was.
void LoadFlag(Context& ctx, const char* key, bool defaultValue, bool& variable) {
    variable = ReadFlag(ctx, "Settings", key, Setting(ctx, key, defaultValue), variable);
}

void LoadPriority(Context& ctx) {
    const IniValue value = Setting(ctx, "AppPriority", 5);
    ctx.state.AppPriority = ToInt32(value.Val());
    CheckNumber(ctx, "Settings", "AppPriority", value, ctx.state.AppPriority);
    SetAppPriority(ToInt16(ctx.state.AppPriority));
}

void LoadAbnormal(Context& ctx) {
    if (auto n = GetInit(ctx, "Shutdown", "Abnormal", 0).ToNumber()) {
        ctx.state.Abnormal = ToInt16(*n);
    }
    ctx.state.LastSyncTime = -1;
}

// The previous run ended without saving its settings: its state files cannot be trusted,
// so the next sync treats every pair as new (copies only, no deletions).
void HandleAbnormalShutdown(Context& ctx) {
    if (ctx.state.Abnormal != 1) return;
    ShowPrompt(ctx, kAbnormalMessage, kAbnormalTitle);
    DeleteAllStateFiles(ctx, false);
    DeleteAllStateFiles(ctx, true);
    // The stored row limit is read only later, so the rows beyond the one in force now
    // may hold state files as well.
    for (int row = ctx.state.MaxAudioPaths; row < kMaxAudioRows; ++row)
        DeleteStateFiles(ctx, AudioCategoryName(row));
}

void LoadFirstRun(Context& ctx) {
    LoadFlag(ctx, "FirstRun", true, ctx.state.FirstRun);
    SaveInit(ctx, "Settings", "FirstRun", false);
}

void LoadFixedPaths(Context& ctx) {
    for (const FolderCategory& category : kFolderCategories) {
        (ctx.form.*category.localBox)
            .SetText(GetInit(ctx, "Paths", category.localKey, "").ToText());
        (ctx.form.*category.remoteBox)
            .SetText(GetInit(ctx, "Paths", category.remoteKey, "").ToText());
    }
}

void LoadMaxAudioPaths(Context& ctx) {
    const IniValue value = Setting(ctx, "MaxAudioPaths", 30);
    ctx.state.MaxAudioPaths = Clamp16(ToInt16(value.Val()), 1, 50);
    CheckNumber(ctx, "Settings", "MaxAudioPaths", value, ctx.state.MaxAudioPaths);
}

// 1 means on and any other number off; True/Yes/On are on as well, since the switch is a
// flag to whoever edits the file. Any other text leaves the row off, as it always did.
bool CategorySwitchOn(Context& ctx, const std::string& key, const IniValue& value) {
    if (value.IsText() && value.ToNumber()) return value.ToNumber() == 1.0;
    if (std::optional<bool> flag = value.ToFlag()) return *flag;
    NoteUnreadable(ctx, "paths", key, value, kFlagKind, 0);
    return false;
}

void LoadCategorySwitches(Context& ctx) {
    for (int n = 0; n < kCategoryCount; ++n) {
        const std::string key = "PathEnabled" + std::to_string(n);
        SetIndicator(ctx.form.imgPathLink[n],
                     CategorySwitchOn(ctx, key, GetInit(ctx, "paths", key, 1)), kPathLinkActive,
                     kPathLinkDisabled);
    }
}

// Entry i lands in the next free row; its switch goes to that row's indicator, so a gap
// among the stored entries does not hand one row's switch to another. The state files of
// that row belong to the entry that had its number before, so they go.
void LoadAudioEntry(Context& ctx, int i) {
    const std::string entry = std::to_string(i);
    std::string local = GetInit(ctx, "Paths", "LAudioPath" + entry, kNotSpecified).ToText();
    if (local == kNotSpecified) return;
    const int row = static_cast<int>(ctx.form.lstLAudioPaths.ListCount());
    if (row != i) DeleteStateFiles(ctx, AudioCategoryName(row));
    Picture& indicator = ctx.form.imgLineLink[static_cast<std::size_t>(row)];
    ctx.form.lstLAudioPaths.AddItem(local);
    ctx.form.lstRAudioPaths.AddItem(
        GetInit(ctx, "Paths", "RAudioPath" + entry, kNotSpecified).ToText());
    const std::string key = "AudioPathEnabled" + entry;
    const IniValue value = GetInit(ctx, "Paths", key, 1);
    if (auto on = value.ToFlag()) {
        SetIndicator(indicator, *on, kLineLinkActive, kLineLinkDisabled);
    } else {
        NoteUnreadable(ctx, "Paths", key, value, kFlagKind, TagIsOff(indicator) ? 0 : 1);
    }
    indicator.SetVisible(true);
}

void LoadAudioRows(Context& ctx) {
    ctx.state.AutomationSettingsMissing = false;
    if (ctx.state.FirstRun) {
        if (ReloadPaths(ctx, ToInt16(IniValue(ctx.state.SessionSuffix).Val()))) {
            for (int i = 0; i < ctx.state.MaxAudioPaths; ++i) {
                ctx.form.imgLineLink[i].SetTag(kTagDisabled);
            }
            return;
        }
        // Nothing to load: the rows stay as the settings file has them.
        ctx.state.AutomationSettingsMissing = true;
    }
    for (int i = 0; i < ctx.state.MaxAudioPaths; ++i)
        LoadAudioEntry(ctx, i);
    for (int row = static_cast<int>(ctx.form.lstLAudioPaths.ListCount());
         row < ctx.state.MaxAudioPaths; ++row) {
        ctx.form.imgLineLink[row].SetVisible(false);
    }
}

void LoadSyncCycle(Context& ctx) {
    const IniValue value = Setting(ctx, "SyncCycle", 300000);
    if (auto n = value.ToNumber()) ctx.state.SyncCycle = ToInt32(*n);
    ctx.state.SyncCycle = SnapSyncCycle(ctx.state.SyncCycle);
    CheckNumber(ctx, "Settings", "SyncCycle", value, ctx.state.SyncCycle);
    SetSyncCycleLists(ctx, ctx.state.SyncCycle);
}

void LimitAudioRows(Context& ctx) {
    if (static_cast<long>(ctx.form.lstLAudioPaths.ListCount()) >= ctx.state.MaxAudioPaths) {
        ctx.form.btnBrowse[kBrowseAddAudio].SetEnabled(false);
    }
}

void LoadAutoStart(Context& ctx) {
    LoadFlag(ctx, "AutoStart", false, ctx.state.AutoStart);
    ctx.form.chkAutoStart.SetValue(ctx.state.AutoStart ? 1 : 0);
}

void LoadAutoSync(Context& ctx) {
    LoadFlag(ctx, "AutoSync", false, ctx.state.AutoSync);
    ShowAutoSyncState(ctx, ctx.state.AutoSync);
}

void LoadStartMinimized(Context& ctx) {
    LoadFlag(ctx, "StartMinimized", false, ctx.state.StartMinimized);
    ctx.form.chkStartMinimized.SetValue(ctx.state.StartMinimized ? 1 : 0);
}

void LoadEnableFileBackup(Context& ctx) {
    const bool on =
        ReadFlag(ctx, "Settings", "EnableFileBackup", Setting(ctx, "EnableFileBackup", false),
                 ctx.form.chkEnableFileBackup.Checked());
    ctx.form.chkEnableFileBackup.SetValue(on ? 1 : 0);
}

void LoadNumFileBackups(Context& ctx) {
    int16_t position = ToInt16(ctx.form.cboNumFileBackups.ListIndex());
    const IniValue value = Setting(ctx, "NumFileBackups", 0);
    if (auto n = value.ToNumber()) position = ToInt16(*n);
    position = Clamp16(position, 0, 4);
    CheckNumber(ctx, "Settings", "NumFileBackups", value, position);
    ctx.form.cboNumFileBackups.SetListIndex(position);
    // The caption follows the number of copies, as when the operator picks one.
    cboNumFileBackups_Click(ctx);
}

void LoadBackupPath(Context& ctx) {
    ctx.form.txtBackupDir.SetText(Setting(ctx, "FileBackupPath", "").ToText());
}

// The stored pauses only choose the speed position; the position's own pauses replace them.
void LoadSyncSpeed(Context& ctx) {
    const IniValue copy = Setting(ctx, "SleepTimeCopy", 3);
    const IniValue sync = Setting(ctx, "SleepTimeSync", 6);
    if (auto n = copy.ToNumber()) ctx.state.SleepTimeCopy = ToInt32(*n);
    if (auto n = sync.ToNumber()) ctx.state.SleepTimeSync = ToInt32(*n);
    ctx.form.cboSyncSpeed.SetListIndex(SpeedPositionFor(ctx.state.SleepTimeCopy));
    cboSyncSpeed_Click(ctx);
    const SpeedPauses saved = OnSelectionPauses(ctx.form.cboSyncSpeed.ListIndex());
    CheckNumber(ctx, "Settings", "SleepTimeCopy", copy, saved.copyMs);
    CheckNumber(ctx, "Settings", "SleepTimeSync", sync, saved.syncMs);
}

void LoadMaxCompletedTasks(Context& ctx) {
    const IniValue value = Setting(ctx, "MaxCompletedTasks", 500);
    int position = MaxLogItemsPosition(ToInt32(value.Val()));
    ctx.state.MaxCompletedTasks = 500 * (position + 1);
    CheckNumber(ctx, "Settings", "MaxCompletedTasks", value, ctx.state.MaxCompletedTasks);
    ctx.form.cboMaxLogItems.SetListIndex(position);
}

void LoadExtendedFolders(Context& ctx) {
    LoadFlag(ctx, "ExtendedFolders", false, ctx.state.ExtendedFolders);
    ApplyExtendedFolders(ctx, ctx.state.ExtendedFolders);
    ctx.form.chkExtendedPaths.SetValue(ctx.state.ExtendedFolders ? 1 : 0);
}

void LoadBackupType(Context& ctx) {
    LoadFlag(ctx, "BackupType", true, ctx.state.BackupType);
    ApplyBackupType(ctx, ctx.state.BackupType);
}

void LoadFirstPage(Context& ctx) {
    int16_t page = 0;
    const IniValue value = Setting(ctx, "PrevTabVisible", 0);
    if (auto n = value.ToNumber()) page = ToInt16(*n);
    page = Clamp16(page, 0, 3);
    CheckNumber(ctx, "Settings", "PrevTabVisible", value, page);
    cmdPage_Click(ctx, page);
}

// A check box takes 0 (clear), 1 (ticked) or 2 (greyed); any other value leaves it.
void LoadTickValue(Context& ctx, const char* key, int defaultValue, CheckBox& box) {
    const IniValue value = Setting(ctx, key, defaultValue);
    std::optional<double> n = value.ToNumber();
    if (n && ToInt16(*n) >= 0 && ToInt16(*n) <= 2) box.SetValue(ToInt16(*n));
    CheckNumber(ctx, "Settings", key, value, box.Value());
}

void LoadLogOptions(Context& ctx) {
    LoadTickValue(ctx, "AutoScroll", 1, ctx.form.chkAutoScroll);
    LoadTickValue(ctx, "LogToFile", 0, ctx.form.chkLogToFile);
}

// --- SaveSettings, one function per step, all into one edit of the file ---

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

class SettingsWriter {
  public:
    explicit SettingsWriter(const Context& ctx)
        : file_(SettingsFilePath(ctx)), unreadable_(ctx.state.UnreadableSettings) {}
    void Put(const char* section, const std::string& key, const IniValue& value) {
        file_.Set(section, key, TextToSave(section, key, value.ToText()));
    }
    void Commit() const { file_.Commit(); }

  private:
    // A value the program could not read stays as the operator typed it, so that saving
    // never turns a mistyped "maybe" into a silent False; a value changed since start-up
    // is saved as it now is.
    std::string TextToSave(const char* section, const std::string& key, std::string text) const {
        for (const UnreadableSetting& setting : unreadable_) {
            if (SameName(setting.section, section) && SameName(setting.key, key) &&
                setting.used == text) {
                return setting.typed;
            }
        }
        return text;
    }

    platform::ProfileFileEdit file_;
    const std::vector<UnreadableSetting>& unreadable_;
};

void SaveFixedPaths(const Context& ctx, SettingsWriter& out) {
    for (const FolderCategory& category : kFolderCategories) {
        out.Put("Paths", category.localKey, (ctx.form.*category.localBox).Text());
        out.Put("Paths", category.remoteKey, (ctx.form.*category.remoteBox).Text());
    }
}

void SaveAudioRows(const Context& ctx, SettingsWriter& out) {
    const ListBox& local = ctx.form.lstLAudioPaths;
    const ListBox& remote = ctx.form.lstRAudioPaths;
    const std::size_t rows = local.ListCount();
    for (std::size_t i = 0; i < rows; ++i) {
        out.Put("Paths", "LAudioPath" + std::to_string(i), local.Item(i));
        out.Put("Paths", "RAudioPath" + std::to_string(i),
                i < remote.ListCount() ? remote.Item(i) : std::string(kNotSpecified));
    }
    for (std::size_t i = rows; i < static_cast<std::size_t>(ctx.state.MaxAudioPaths); ++i) {
        out.Put("Paths", "LAudioPath" + std::to_string(i), kNotSpecified);
        out.Put("Paths", "RAudioPath" + std::to_string(i), kNotSpecified);
    }
}

void SaveCategorySwitches(const Context& ctx, SettingsWriter& out) {
    for (int n = 0; n < kCategoryCount; ++n) {
        out.Put("paths", "PathEnabled" + std::to_string(n),
                TagIsOff(ctx.form.imgPathLink[n]) ? 0 : 1);
    }
}

void SaveAudioSwitches(const Context& ctx, SettingsWriter& out) {
    const std::size_t rows = ctx.form.lstLAudioPaths.ListCount();
    for (int i = 0; i < ctx.state.MaxAudioPaths; ++i) {
        bool off = TagIsOff(ctx.form.imgLineLink[i]) || static_cast<std::size_t>(i) >= rows;
        out.Put("Paths", "AudioPathEnabled" + std::to_string(i), off ? 0 : 1);
    }
}

// Work still pending at shutdown leaves the marker set, so the next start distrusts the
// state files of this run.
void SaveShutdownMarker(const Context& ctx, SettingsWriter& out) {
    bool pending = ctx.form.lstTasksToDo.ListCount() > 0 || ctx.state.CopyInProgress ||
                   ctx.state.SyncInProgress;
    out.Put("Shutdown", "Abnormal", pending ? 1 : 0);
}

void SaveStartOptions(const Context& ctx, SettingsWriter& out) {
    out.Put("Settings", "AutoStart", ctx.form.chkAutoStart.Checked());
    out.Put("Settings", "AutoSync", ctx.state.AutoSync);
    out.Put("Settings", "StartMinimized", ctx.form.chkStartMinimized.Checked());
    out.Put("Settings", "EnableFileBackup", ctx.form.chkEnableFileBackup.Checked());
}

void SaveBackupOptions(const Context& ctx, SettingsWriter& out) {
    out.Put("Settings", "NumFileBackups", ctx.form.cboNumFileBackups.ListIndex());
    out.Put("Settings", "FileBackupPath", ctx.form.txtBackupDir.Text());
}

// The speed is saved as the level the operator chose: the pauses in force may be those a
// run or a close while busy set for itself, and saving them would change the level that
// protects the playout machine on the next start.
void SaveSyncSpeed(const Context& ctx, SettingsWriter& out) {
    const SpeedPauses chosen = OnSelectionPauses(ctx.form.cboSyncSpeed.ListIndex());
    out.Put("Settings", "SleepTimeCopy", chosen.copyMs);
    out.Put("Settings", "SleepTimeSync", chosen.syncMs);
}

void SaveVariables(const Context& ctx, SettingsWriter& out) {
    SaveSyncSpeed(ctx, out);
    out.Put("Settings", "AppPriority", ctx.state.AppPriority);
    out.Put("Settings", "MaxCompletedTasks", ctx.state.MaxCompletedTasks);
    out.Put("Settings", "ExtendedFolders", ctx.state.ExtendedFolders);
    out.Put("Settings", "BackupType", ctx.state.BackupType);
}

// The page shown is the one whose page button is disabled.
void SaveCurrentPage(const Context& ctx, SettingsWriter& out) {
    int page = 3;
    for (int i = 2; i >= 0; --i) {
        if (!ctx.form.cmdPage[i].Enabled()) page = i;
    }
    out.Put("Settings", "PrevTabVisible", page);
}

void SaveLogOptions(const Context& ctx, SettingsWriter& out) {
    out.Put("Settings", "AutoScroll", ctx.form.chkAutoScroll.Value());
    out.Put("Settings", "LogToFile", ctx.form.chkLogToFile.Value());
}

}  // namespace

std::string SettingsFilePath(const Context& ctx) {
    const std::string& folder =
        ctx.state.SettingsFolder.empty() ? ctx.ports.programFolder : ctx.state.SettingsFolder;
    return WithTrailingSeparator(folder) + kProgramTitle + ctx.state.SessionSuffix + ".ini";
}

IniValue ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                       const IniValue& defaultValue) {
    std::optional<std::string> value = platform::ReadProfileValue(file, section, key);
    return FromStoredText(value ? *value : defaultValue.ToText());
}

void WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const IniValue& value) {
    platform::WriteProfileValue(file, section, key, value.ToText());
}

IniValue GetInit(const Context& ctx, const std::string& section, const std::string& key,
                 const IniValue& defaultValue) {
    IniValue value = ReadIniString(SettingsFilePath(ctx), section, key, "");
    // Blank (or only control characters) counts as not set.
    if (!(value.ToText() > " ")) return defaultValue;
    return value;
}

void SaveInit(Context& ctx, const std::string& section, const std::string& key,
              const IniValue& value) {
    if (ctx.state.Preview) return;
    EnsureSettingsFolder(ctx);
    WriteIniString(SettingsFilePath(ctx), section, key, value);
}

IniValue GetSpecifiedInit(Context& ctx, const std::string& appTitle, const std::string& section,
                          const std::string& key, const IniValue& defaultValue) {
    ctx.ports.debug("GetSpecifiedInit AppTitle:" + appTitle + ", Section:" + section +
                    ", Key:" + key + ", Default:" + defaultValue.ToText());
    std::optional<std::string> value;
    if (ctx.ports.automationSettings != nullptr) {
        value = ctx.ports.automationSettings->Read(appTitle, section, key);
    }
    return FromStoredText(value ? *value : defaultValue.ToText());
}

// The order matters where a step reads what an earlier one set: the abnormal-shutdown marker
// is read before it is set for this run, the first-run flag and the row limit before the
// audio rows, and the extended-folders switch after the paths, since showing its rows
// validates them.
void LoadSettings(Context& ctx) {
    ctx.state.UnreadableSettings.clear();
    LoadPriority(ctx);
    LoadAbnormal(ctx);
    HandleAbnormalShutdown(ctx);
    // Set for as long as the program runs; a normal shutdown clears it again.
    SaveInit(ctx, "Shutdown", "Abnormal", 1);
    LoadFirstRun(ctx);
    // Two file times this many seconds apart count as the same time.
    ctx.state.FileDateTolerance = kFileDateToleranceSeconds;
    LoadFixedPaths(ctx);
    LoadMaxAudioPaths(ctx);
    LoadCategorySwitches(ctx);
    LoadAudioRows(ctx);
    LoadSyncCycle(ctx);
    LimitAudioRows(ctx);
    LoadAutoStart(ctx);
    LoadAutoSync(ctx);
    LoadStartMinimized(ctx);
    LoadEnableFileBackup(ctx);
    LoadNumFileBackups(ctx);
    LoadBackupPath(ctx);
    LoadSyncSpeed(ctx);
    LoadMaxCompletedTasks(ctx);
    LoadExtendedFolders(ctx);
    LoadBackupType(ctx);
    LoadFirstPage(ctx);
    LoadLogOptions(ctx);
}

std::string UnreadableSettingText(const UnreadableSetting& setting) {
    std::string text = "Unreadable setting [" + setting.section + "] " + setting.key + "=" +
                       setting.typed + " (not " + setting.kind;
    if (setting.kind == kFlagKind) text += ": 1/0, True/False, Yes/No, On/Off";
    return text + "); using " + setting.used + ", kept as typed in the file";
}

void ReportUnreadableSettings(Context& ctx) {
    for (const UnreadableSetting& setting : ctx.state.UnreadableSettings) {
        const std::string text = UnreadableSettingText(setting);
        ctx.ports.operatorNotice(text);
        ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - " + text);
        LogLine(ctx, TimeStamp(ctx) + " - Settings " + text);
    }
}

// The whole save replaces the file once: a crash in the middle leaves the previous file
// whole, and the many keys cost one write.
void SaveSettings(Context& ctx) {
    if (ctx.state.Preview) return;
    EnsureSettingsFolder(ctx);
    SettingsWriter out(ctx);
    out.Put("Settings", "SyncCycle", ctx.state.SyncCycle);
    SaveFixedPaths(ctx, out);
    SaveAudioRows(ctx, out);
    SaveCategorySwitches(ctx, out);
    SaveAudioSwitches(ctx, out);
    SaveShutdownMarker(ctx, out);
    SaveStartOptions(ctx, out);
    SaveBackupOptions(ctx, out);
    SaveVariables(ctx, out);
    SaveCurrentPage(ctx, out);
    SaveLogOptions(ctx, out);
    out.Commit();
}

}  // namespace vfs
