#include "platform/record_file.h"

#include "platform/file_system.h"
#include "platform/win32_support.h"

namespace vfs::platform {

std::optional<std::string> ReadRegularFile(const std::string& path) {
    // A reparse point, device or pipe in a record's place is refused before any read.
    return ReadWholeFile(path);
}

bool IsRegularFile(const std::string& path) {
    PathAttributes found;
    return QueryAttributes(path, found) && IsRegularAttributes(found.attributes);
}

bool ReplaceByRename(const std::string& from, const std::string& to) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    return !source.empty() && !target.empty() &&
           MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

}  // namespace vfs::platform
