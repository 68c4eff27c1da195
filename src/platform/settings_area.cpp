#include "platform/settings_area.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/file_system.h"
#include "platform/profile_file.h"

namespace vfs::platform {

namespace {

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && *home != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

std::string ConfigFolder() {
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base-directory rules say.
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg != nullptr && *xdg == '/') return xdg;
    std::string home = HomeFolder();
    return home.empty() ? std::string() : home + "/.config";
}

// A title names one file inside the folder and nothing outside it.
bool IsPlainFileName(const std::string& title) {
    return !title.empty() && title != "." && title != ".." &&
           title.find('/') == std::string::npos && title.find('\0') == std::string::npos;
}

std::optional<std::string> ReadSettingsAreaFile(const std::string& folder,
                                                const std::string& appTitle,
                                                const std::string& section,
                                                const std::string& key) {
    if (folder.empty() || !IsPlainFileName(appTitle)) return std::nullopt;
    return ReadProfileValue(folder + "/" + appTitle + ".ini", section, key);
}

}  // namespace

std::string SettingsAreaFolder() {
    std::string config = ConfigFolder();
    return config.empty() ? std::string() : config + "/automation-settings";
}

bool SettingsAreaHolds(const std::string& appTitle) {
    const std::string folder = SettingsAreaFolder();
    if (folder.empty() || !IsPlainFileName(appTitle)) return false;
    return ReadWholeFile(folder + "/" + appTitle + ".ini").has_value();
}

std::string SettingsAreaName() {
    const std::string folder = SettingsAreaFolder();
    return folder.empty() ? std::string("$XDG_CONFIG_HOME/automation-settings") : folder;
}

std::string SettingsAreaEntry(const std::string& appTitle) {
    return appTitle + ".ini";
}

std::optional<std::string> ReadSettingsArea(const std::string& appTitle, const std::string& section,
                                            const std::string& key) {
    return ReadSettingsAreaFile(SettingsAreaFolder(), appTitle, section, key);
}

}  // namespace vfs::platform
