#include "config/reload_paths.h"

#include <string>

#include "config/settings_store.h"
#include "engine/activity_log.h"
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

bool Holds(const Context& ctx, const std::string& title) {
    return ctx.ports.automationSettings != nullptr && ctx.ports.automationSettings->Holds(title);
}

void ReloadFixedFolders(Context& ctx, const std::string& title, bool defaultsApply) {
    for (const FolderCategory& category : kFolderCategories) {
        const char* fallback = defaultsApply ? category.automationDefault : "";
        (ctx.form.*category.localBox)
            .SetText(
                GetSpecifiedInit(ctx, title, "Paths", category.automationKey, fallback).ToText());
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

bool ReloadPaths(Context& ctx, int16_t session, PathStyle style) {
    const std::string title = SessionTitle(session);
    const bool defaultsApply = style == PathStyle::Windows;
    // Nothing to load from: the operator's paths are worth more than empty boxes.
    if (!defaultsApply && !Holds(ctx, title) && !Holds(ctx, kAudioTitle)) return false;
    ReloadFixedFolders(ctx, title, defaultsApply);
    ctx.form.lstLAudioPaths.Clear();
    ctx.form.lstRAudioPaths.Clear();
    ReloadAudioFolders(ctx);
    // Without any audio folder of the automation system, offer its usual one.
    if (defaultsApply && ctx.form.lstRAudioPaths.ListCount() == 0) {
        AddUnpairedAudioRow(ctx, kDefaultAudioFolder);
    }
    ClearUnusedAudioIndicators(ctx);
    ValidatePaths(ctx);
    return true;
}

std::string NoAutomationSettingsText(const Context& ctx, int16_t session) {
    const AutomationSettingsStore* store = ctx.ports.automationSettings;
    const std::string title = SessionTitle(session);
    const std::string place = store != nullptr ? store->Place() : std::string();
    const auto entry = [store](const std::string& t) {
        return store != nullptr ? store->EntryName(t) : t;
    };
    return "No Varnel settings found" + (place.empty() ? std::string() : " in " + place) + " (" +
           entry(title) + ", " + entry(kAudioTitle) + "): the paths were left as they are";
}

void ReportNoAutomationSettings(Context& ctx, int16_t session, bool notice) {
    const std::string text = NoAutomationSettingsText(ctx, session);
    if (notice) ctx.ports.operatorNotice(text);
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - " + text);
    LogLine(ctx, TimeStamp(ctx) + " - Settings " + text);
}

void cmdLoadPaths_Click(Context& ctx) {
    MessageBoxAnswer answer = ctx.ports.messageBox(
        "Reload Paths From Varnel",
        "Reloading paths from Varnel will clear all current path settings.\r\n\r\n"
        "Are you sure you want to proceed?",
        MessageBoxButtons::YesNo);
    if (answer != MessageBoxAnswer::Yes) return;
    const int16_t session = ToInt16(IniValue(ctx.form.txtSession.Text()).Val());
    if (!ReloadPaths(ctx, session)) ReportNoAutomationSettings(ctx, session, false);
}

}  // namespace vfs
