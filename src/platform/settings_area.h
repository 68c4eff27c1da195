// The per-user area in which the automation system keeps its own settings, addressed by
// application title, section and key; this program only reads it.
//
// On Windows it is the registry's per-user program settings area: under HKEY_CURRENT_USER,
// the key "Software\VB and VBA Program Settings\<title>\<section>", text value <key>. On
// Linux it is one profile file per title, "<title>.ini", in SettingsAreaFolder().
#pragma once

#include <optional>
#include <string>

namespace vfs::platform {

// The folder of the "<title>.ini" files: $XDG_CONFIG_HOME (else ~/.config) +
// "/automation-settings". Empty where the area is no folder (Windows) or no home is known.
std::string SettingsAreaFolder();

// Whether the area keeps anything under the title: its readable file, or its key.
bool SettingsAreaHolds(const std::string& appTitle);
// The area and a title's entry in it, as the operator finds them: the folder and
// "<title>.ini"; on Windows the registry key and the title.
std::string SettingsAreaName();
std::string SettingsAreaEntry(const std::string& appTitle);

// The value of a key; nothing when the title, section or key is missing or the title would
// name anything but one entry of the area.
std::optional<std::string> ReadSettingsArea(const std::string& appTitle, const std::string& section,
                                            const std::string& key);

}  // namespace vfs::platform
