// The identity and habits of a folder's volume on Windows.
#include "platform/file_system.h"
#include "platform/folder_traits.h"

namespace vfs::platform {

// The volume serial stays with the volume over a reconnect and a reboot. Windows folds case
// and keeps its naming rules on every volume, and mode bits mean nothing there.
std::optional<FolderTraits> DescribeFolder(const std::string& folder) {
    const std::optional<uint64_t> serial = FileSystemId(folder);
    if (!serial) return std::nullopt;
    FolderTraits traits;
    traits.identity = "volume=" + std::to_string(*serial);
    traits.type = "windows";
    traits.device = *serial;
    traits.foldsCase = true;
    traits.restrictsNames = true;
    traits.keepsPermissions = false;
    return traits;
}

}  // namespace vfs::platform
