// The automation system's own settings, read only. Sections and keys are those the
// automation system uses. Where the system keeps them (the registry on Windows, one profile
// file per application title on Linux) is the platform's business; the profile-file store
// also serves any folder named to it.
#pragma once

#include <optional>
#include <string>

#include "engine/ports.h"

namespace vfs {

class IniAutomationSettingsStore : public AutomationSettingsStore {
  public:
    // folder: where the "<title>.ini" files lie.
    explicit IniAutomationSettingsStore(std::string folder);

    // $XDG_CONFIG_HOME (else ~/.config) + "/automation-settings"; empty when neither the
    // variable nor a home folder is known.
    static std::string DefaultFolder();

    const std::string& Folder() const { return folder_; }

    std::optional<std::string> Read(const std::string& appTitle, const std::string& section,
                                    const std::string& key) const override;
    bool Holds(const std::string& appTitle) const override;
    std::string Place() const override { return folder_; }
    std::string EntryName(const std::string& appTitle) const override;

  private:
    std::string folder_;
};

// The settings where the automation system keeps them on the system the program runs on.
class SystemAutomationSettingsStore : public AutomationSettingsStore {
  public:
    std::optional<std::string> Read(const std::string& appTitle, const std::string& section,
                                    const std::string& key) const override;
    bool Holds(const std::string& appTitle) const override;
    std::string Place() const override;
    std::string EntryName(const std::string& appTitle) const override;
};

}  // namespace vfs
