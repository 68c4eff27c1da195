// The fixed folder categories of the path page, each described once: what the scan, the
// state files, the settings file, the automation system's settings and the page know it by.
// Every routine that walks the categories reads this table, so a new category is a new row
// here (with its controls declared in the form model) and nothing else.
#pragma once

#include <array>
#include <string>

#include "form/form_model.h"

namespace vfs {

struct FolderCategory {
    // The category as the scan, its task lines and the state files know it.
    const char* name;
    // The category as the lines about a skipped pair name it.
    const char* messageName;
    // The names scanned in both folders, ';'-separated.
    const char* pattern;
    // Keys of the local and the remote folder in the settings file's [Paths] section.
    const char* localKey;
    const char* remoteKey;
    // Where the automation system keeps the local folder, and what it uses without one.
    const char* automationKey;
    const char* automationDefault;
    // The row's controls on the path page.
    TextBox FormModel::*localBox;
    TextBox FormModel::*remoteBox;
    Label FormModel::*label;
    const char* labelCaption;
    // Shown, validated and synced only with the extended folders switched on.
    bool extendedOnly;
    // The overall bar's value when the scan reaches this category (the first category
    // scanned keeps the value the scan started with).
    long progressBefore;
};

// In scan order, which is also the order of the rows, of imgPathLink and of the
// "PathEnabled<n>" switches.
inline constexpr std::array<FolderCategory, kCategoryCount> kFolderCategories = {{
    {.name = "Program Logs",
     .messageName = "Program Log Files",
     .pattern = "*.kvo",
     .localKey = "LPLog",
     .remoteKey = "RPLog",
     .automationKey = "ProgramLogPath",
     .automationDefault = "C:\\KVO32\\Logs",
     .localBox = &FormModel::txtLPLog,
     .remoteBox = &FormModel::txtRPLog,
     .label = &FormModel::lblProgramLogs,
     .labelCaption = "Program Logs",
     .extendedOnly = false,
     .progressBefore = 3},
    {.name = "Text Files",
     .messageName = "Text Files",
     .pattern = "*.*",
     .localKey = "LText",
     .remoteKey = "RText",
     .automationKey = "TextPath",
     .automationDefault = "C:\\KVO32\\Text",
     .localBox = &FormModel::txtLText,
     .remoteBox = &FormModel::txtRText,
     .label = &FormModel::lblTextFiles,
     .labelCaption = "Text Files",
     .extendedOnly = true,
     .progressBefore = 5},
    {.name = "Video Files",
     .messageName = "Video Files",
     .pattern = "*.*",
     .localKey = "LVideo",
     .remoteKey = "RVideo",
     .automationKey = "VideoPath",
     .automationDefault = "C:\\KVO32\\Video",
     .localBox = &FormModel::txtLVideo,
     .remoteBox = &FormModel::txtRVideo,
     .label = &FormModel::lblVideoFiles,
     .labelCaption = "Video Files",
     .extendedOnly = true,
     .progressBefore = 7},
    {.name = "Trigger Sets",
     .messageName = "Trigger Set Files",
     .pattern = "*.trg",
     .localKey = "LTrigger",
     .remoteKey = "RTrigger",
     .automationKey = "TriggersPath",
     .automationDefault = "C:\\KVO32",
     .localBox = &FormModel::txtLTrigger,
     .remoteBox = &FormModel::txtRTrigger,
     .label = &FormModel::lblTriggerSets,
     .labelCaption = "Trigger Sets",
     .extendedOnly = false,
     .progressBefore = 9},
    {.name = "Hot Keys",
     .messageName = "Hot Key Files",
     .pattern = "*.key",
     .localKey = "LHotkey",
     .remoteKey = "RHotkey",
     .automationKey = "HotKeysPath",
     .automationDefault = "C:\\KVO32",
     .localBox = &FormModel::txtLHotkey,
     .remoteBox = &FormModel::txtRHotkey,
     .label = &FormModel::lblHotkeySets,
     .labelCaption = "Hotkey Sets",
     .extendedOnly = false,
     .progressBefore = 11},
    {.name = "Serial Sets",
     .messageName = "Serial Set Files",
     .pattern = "*.ser",
     .localKey = "LSerial",
     .remoteKey = "RSerial",
     .automationKey = "SerialPath",
     .automationDefault = "C:\\KVO32",
     .localBox = &FormModel::txtLSerial,
     .remoteBox = &FormModel::txtRSerial,
     .label = &FormModel::lblSerialSets,
     .labelCaption = "Serial Sets",
     .extendedOnly = true,
     .progressBefore = 13},
    {.name = "Sched Events Sets",
     .messageName = "Sched. Events Set Files",
     .pattern = "*.skd",
     .localKey = "LSched",
     .remoteKey = "RSched",
     .automationKey = "ScheduledPath",
     .automationDefault = "C:\\KVO32",
     .localBox = &FormModel::txtLSched,
     .remoteBox = &FormModel::txtRSched,
     .label = &FormModel::lblSchedSets,
     .labelCaption = "Sched. Events Sets",
     .extendedOnly = false,
     .progressBefore = 15},
}};

// A row left out of the table would be a category without a name or controls.
static_assert([] {
    for (const FolderCategory& category : kFolderCategories) {
        if (category.name == nullptr || category.localBox == nullptr) return false;
    }
    return true;
}());

// The row of a category (0 .. kCategoryCount - 1); any other index answers the last row.
inline const FolderCategory& FolderCategoryAt(int category) {
    const bool inTable = category >= 0 && category < kCategoryCount;
    return kFolderCategories[static_cast<std::size_t>(inTable ? category : kCategoryCount - 1)];
}

// The audio rows are categories too, numbered from 1: "Audio Folder 1", ...
inline constexpr const char* kAudioPattern = "*.krt;*.wav;*.mp3;*.mp2";
inline std::string AudioCategoryName(int row) {
    return "Audio Folder " + std::to_string(row + 1);
}

}  // namespace vfs
