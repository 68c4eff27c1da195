#include "config/reload_paths.h"

#include <array>
#include <string>

#include "config/path_grid.h"
#include "config/settings_store.h"

namespace vfs {

namespace {

// Where the automation system keeps the local folder of each fixed category (in category
// order), and what it uses when it has none.
struct FolderKey {
    const char* key;
    const char* defaultPath;
};
constexpr std::array<FolderKey, kCategoryCount> kFolderKeys = {{
    {"ProgramLogPath", "C:\\KVO32\\Logs"},
    {"TextPath", "C:\\KVO32\\Text"},
    {"VideoPath", "C:\\KVO32\\Video"},
    {"TriggersPath", "C:\\KVO32"},
    {"HotKeysPath", "C:\\KVO32"},
    {"SerialPath", "C:\\KVO32"},
    {"ScheduledPath", "C:\\KVO32"},
}};

constexpr int kAudioEntries = 16;
constexpr const char* kAudioTitle = "KVO";
constexpr const char* kNoAudioFolder = "<NONE>";
constexpr const char* kDefaultAudioFolder = "C:\\KVO32\\Audio";

std::string SessionTitle(int16_t session) {
    if (session <= 1 || session >= 10) return "Varnel";
    return "Varnel" + std::to_string(session);
}

void ReloadFixedFolders(Context& ctx, const std::string& title) {
    for (int c = 0; c < kCategoryCount; ++c) {
        const FolderKey& folder = kFolderKeys[c];
        ctx.form.LocalPathBox(c).SetText(
            GetSpecifiedInit(ctx, title, "Paths", folder.key, folder.defaultPath).ToText());
        ctx.form.RemotePathBox(c).SetText("");
    }
}

// A row whose remote folder the operator still has to choose, with the indicator of the row
// it lands in.
void AddUnpairedAudioRow(Context& ctx, const std::string& localFolder) {
    Picture& link = ctx.form.imgLineLink[ctx.form.lstLAudioPaths.ListCount()];
    ctx.form.lstLAudioPaths.AddItem(localFolder);
    ctx.form.lstRAudioPaths.AddItem(kNotSpecified);
    link.SetPictureId(kLineLinkError);
    link.SetTag(kTagError);
    link.SetVisible(true);
}

void ClearAudioIndicator(Picture& link) {
    link.SetPictureId(kLineLinkDisabled);
    link.SetTag(kTagDisabled);
    link.SetVisible(false);
}

// Every entry is read; a missing one does not end the list. Rows are numbered as they land
// in the lists, so a gap among the entries leaves no row with another row's indicator.
void ReloadAudioFolders(Context& ctx) {
    for (int i = 0; i < kAudioEntries; ++i) {
        std::string path = GetSpecifiedInit(ctx, kAudioTitle, "AudioFilePaths",
                                            "AudioPath" + std::to_string(i), kNoAudioFolder)
                               .ToText();
        if (path != kNoAudioFolder) AddUnpairedAudioRow(ctx, path);
    }
}

// Indicators beyond the last row, up to the last entry read, show no row.
void ClearUnusedAudioIndicators(Context& ctx) {
    for (auto row = ctx.form.lstLAudioPaths.ListCount(); row < kAudioEntries; ++row) {
        ClearAudioIndicator(ctx.form.imgLineLink[row]);
    }
}

}  // namespace

void ReloadPaths(Context& ctx, int16_t session) {
    ReloadFixedFolders(ctx, SessionTitle(session));
    ctx.form.lstLAudioPaths.Clear();
    ctx.form.lstRAudioPaths.Clear();
    ReloadAudioFolders(ctx);
    // Without any audio folder of the automation system, offer its usual one.
    if (ctx.form.lstRAudioPaths.ListCount() == 0) AddUnpairedAudioRow(ctx, kDefaultAudioFolder);
    ClearUnusedAudioIndicators(ctx);
    ValidatePaths(ctx);
}

void cmdLoadPaths_Click(Context& ctx) {
    MessageBoxAnswer answer = ctx.ports.messageBox(
        "Reload Paths From Varnel",
        "Reloading paths from Varnel will clear all current path settings.\r\n\r\n"
        "Are you sure you want to proceed?",
        MessageBoxButtons::YesNo);
    if (answer != MessageBoxAnswer::Yes) return;
    ReloadPaths(ctx, ToInt16(IniValue(ctx.form.txtSession.Text()).Val()));
}

}  // namespace vfs
