// The automation system's own settings, as this program finds them on Linux: one profile
// file per application title, "<title>.ini", in the folder "automation-settings" of the
// user's configuration directory. Sections and keys are those the automation system uses.
// Read only.
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

  private:
    std::string folder_;
};

}  // namespace vfs
