#include "platform/access_probe.h"

#include <cerrno>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

// A settings file is text in a regular file; a folder or a reparse point in its place cannot
// be read as one. 0 also for a missing file.
int NotRegularError(const std::string& file) {
    PathAttributes found;
    if (!QueryAttributes(file, found)) return errno == ENOENT ? 0 : errno;
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return EISDIR;
    return IsRegularAttributes(found.attributes) ? 0 : EINVAL;
}

int OpenError(const std::string& file, DWORD access) {
    UniqueHandle handle = OpenRegularFile(file, access);
    if (handle.IsOpen()) return 0;
    return errno == ENOENT ? 0 : errno;
}

}  // namespace

int ProbeReadableIfPresent(const std::string& file) {
    if (int error = NotRegularError(file); error != 0) return error;
    return OpenError(file, GENERIC_READ);
}

int ProbeWritableFolder(const std::string& folder) {
    std::string name = folder;
    if (name.empty() || (name.back() != '\\' && name.back() != '/')) name += '\\';
    name += ".vfs-probe-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(GetTickCount64());
    const std::wstring wide = WidePath(name);
    if (wide.empty()) return ENOENT;
    // Removed by the system the moment it is closed.
    HANDLE probe = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (probe == INVALID_HANDLE_VALUE) return NoteSystemError(GetLastError());
    CloseHandle(probe);
    return 0;
}

int ProbeWritableIfPresent(const std::string& file) {
    if (int error = NotRegularError(file); error != 0) return error;
    PathAttributes found;
    if (QueryAttributes(file, found) && (found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return EACCES;
    }
    return OpenError(file, GENERIC_WRITE);
}

}  // namespace vfs::platform
