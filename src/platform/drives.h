// The drives an operator picks folders from, as the system knows them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vfs::platform {

// The roots of the drive letters in use ("C:\", "D:\", ...), in order; nothing on a system
// without drive letters, where the mount table tells the drives instead.
std::optional<std::vector<std::string>> DriveLetterRoots();

// The text of the process's mount table (/proc/self/mounts); empty when it cannot be read or
// the system keeps none.
std::string MountTableText();

}  // namespace vfs::platform
