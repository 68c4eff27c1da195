// The program's own record files (state files, pair records): read only when they are
// regular files, never through a link and never with an open that can block, so a FIFO or
// device left in a record's place cannot hang a run or pass for a record.
#pragma once

#include <optional>
#include <string>

namespace vfs::platform {

// The whole text of a regular file; nothing for a missing file, a link, a FIFO, a device
// or a folder, and nothing when it cannot be read.
std::optional<std::string> ReadRegularFile(const std::string& path);
// True for a regular file (a link is not followed).
bool IsRegularFile(const std::string& path);
// Renames a file over another in one step (the target, if any, is replaced).
bool ReplaceByRename(const std::string& from, const std::string& to);

}  // namespace vfs::platform
