#include "config/reload_paths.h"

#include <string>

#include "config/settings_store.h"
#include "engine/pair_links.h"
#include "form/folder_categories.h"

namespace vfs {

namespace {

constexpr int kAudioEntries = 16;
constexpr const char* kAudioTitle = "KVO";
constexpr const char* kNoAudioFolder = "<NONE>";
constexpr const char* kDefaultAudioFolder = "C:\\KVO32\\Audio";

std::string SessionTitle(int16_t session) {
    if (session <= 1 || session >= 10) return "Varnel";
    return "Varnel" + std::to_string(session);
}

void ReloadFixedFolders(Context& ctx, const std::string& title) {
    for (const FolderCategory& category : kFolderCategories) {
        (ctx.form.*category.localBox)
            .SetText(GetSpecifiedInit(ctx, title, "Paths", category.automationKey,
                                      category.automationDefault)
                         .ToText());
        (ctx.form.*category.remoteBox).SetText("");
    }
}

// A row whose remote folder the operator still has to choose, with the indicator of the row
// it lands in.
void AddUnpairedAudioRow(Context& ctx, const std::string& localFolder) {
    Picture& link = ctx.form.imgLineLink[ctx.form.lstLAudioPaths.ListCount()];
    ctx.form.lstLAudioPaths.AddItem(localFolder);
    ctx.form.lstRAudioPaths.AddItem(kNotSpecified);
    ShowLineLink(link, LinkState::Error);
    link.SetVisible(true);
}

void ClearAudioIndicator(Picture& link) {
    ShowLineLink(link, LinkState::Disabled);
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
