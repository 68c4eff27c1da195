#include "platform/drives.h"

#include "platform/win32_support.h"

namespace vfs::platform {

std::optional<std::vector<std::string>> DriveLetterRoots() {
    wchar_t buffer[512] = {};
    const DWORD length = GetLogicalDriveStringsW(511, buffer);
    if (length == 0 || length > 511) return std::vector<std::string>{};
    // "C:\<nul>D:\<nul><nul>"
    std::vector<std::string> roots;
    for (const wchar_t* root = buffer; *root != L'\0'; root += wcslen(root) + 1)
        roots.push_back(Utf8(root));
    return roots;
}

// The drives are told by their letters; there is no mount table.
std::string MountTableText() {
    return {};
}

}  // namespace vfs::platform
