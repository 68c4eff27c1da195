#include "config/automation_settings.h"

#include "platform/file_system.h"
#include "platform/profile_file.h"
#include "platform/settings_area.h"

namespace vfs {

namespace {

// A title names one file inside the folder and nothing outside it.
bool IsPlainFileName(const std::string& title) {
    return !title.empty() && title != "." && title != ".." &&
           title.find('/') == std::string::npos && title.find('\0') == std::string::npos;
}

}  // namespace

IniAutomationSettingsStore::IniAutomationSettingsStore(std::string folder)
    : folder_(std::move(folder)) {}

std::string IniAutomationSettingsStore::DefaultFolder() {
    return platform::SettingsAreaFolder();
}

std::optional<std::string> IniAutomationSettingsStore::Read(const std::string& appTitle,
                                                            const std::string& section,
                                                            const std::string& key) const {
    if (folder_.empty() || !IsPlainFileName(appTitle)) return std::nullopt;
    return platform::ReadProfileValue(folder_ + "/" + appTitle + ".ini", section, key);
}

bool IniAutomationSettingsStore::Holds(const std::string& appTitle) const {
    if (folder_.empty() || !IsPlainFileName(appTitle)) return false;
    return platform::ReadWholeFile(folder_ + "/" + EntryName(appTitle)).has_value();
}

std::string IniAutomationSettingsStore::EntryName(const std::string& appTitle) const {
    return appTitle + ".ini";
}

bool SystemAutomationSettingsStore::Holds(const std::string& appTitle) const {
    return platform::SettingsAreaHolds(appTitle);
}

std::string SystemAutomationSettingsStore::Place() const {
    return platform::SettingsAreaName();
}

std::string SystemAutomationSettingsStore::EntryName(const std::string& appTitle) const {
    return platform::SettingsAreaEntry(appTitle);
}

std::optional<std::string> SystemAutomationSettingsStore::Read(const std::string& appTitle,
                                                               const std::string& section,
                                                               const std::string& key) const {
    return platform::ReadSettingsArea(appTitle, section, key);
}

}  // namespace vfs
