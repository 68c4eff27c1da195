#include "platform/drives.h"

#include <fstream>
#include <sstream>

namespace vfs::platform {

// Linux has no drive letters: every disk and share is a folder of the one tree.
std::optional<std::vector<std::string>> DriveLetterRoots() {
    return std::nullopt;
}

std::string MountTableText() {
    std::ifstream mounts("/proc/self/mounts");
    std::ostringstream text;
    if (mounts) text << mounts.rdbuf();
    return text.str();
}

}  // namespace vfs::platform
