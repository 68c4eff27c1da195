// The program's settings file: one profile file per session beside the program, read once
// at start-up (LoadSettings) and written back at shutdown (SaveSettings). A few values are
// written the moment they change through SaveInit.
#pragma once

#include <string>

#include "config/ini_value.h"
#include "engine/context.h"

namespace vfs {

// SettingsFolder + "VarnelFileSync" + SessionSuffix + ".ini".
std::string SettingsFilePath(const Context& ctx);

// One key of a profile file, trimmed, TRUE/FALSE in any case as a flag; the default when
// the key is missing.
IniValue ReadIniString(const std::string& file, const std::string& section, const std::string& key,
                       const IniValue& defaultValue);
// Writes the value's text; a file that cannot be written loses the write silently.
void WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const IniValue& value);

// One key of the settings file; the default when it is missing or blank.
IniValue GetInit(const Context& ctx, const std::string& section, const std::string& key,
                 const IniValue& defaultValue);
// Writes one key of the settings file at once.
void SaveInit(Context& ctx, const std::string& section, const std::string& key,
              const IniValue& value);
// One value of the automation system's own settings, read through
// ctx.ports.automationSettings; the default when there is none.
IniValue GetSpecifiedInit(Context& ctx, const std::string& appTitle, const std::string& section,
                          const std::string& key, const IniValue& defaultValue);

// Reads every setting into the program state and the form, with the abnormal-shutdown and
// first-run checks. Called once at start-up, after the session is known.
void LoadSettings(Context& ctx);
// The operator is told about every value LoadSettings could not read: on the notice port,
// in the status line and in the activity log.
std::string UnreadableSettingText(const UnreadableSetting& setting);
void ReportUnreadableSettings(Context& ctx);
// Writes every setting back, including the shutdown marker; a value that could not be read
// at start-up and was not changed since is written as it was typed. Called once while
// unloading.
void SaveSettings(Context& ctx);

}  // namespace vfs
