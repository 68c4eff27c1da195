#include "platform/open_folder.h"

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

// A name that would reach outside the folder, or into a stream of a file, is never looked
// up.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("\\/:") == std::string::npos;
}

}  // namespace

Win32OpenFolder::Win32OpenFolder(const std::string& path) : path_(path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return;
    // Held open without sharing deletion, so the folder listed cannot be removed or renamed
    // while its files are examined.
    HANDLE handle =
        CreateFileW(wide.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        CloseHandle(handle);
        return;
    }
    handle_ = handle;
    if (!path_.empty() && path_.back() != '\\' && path_.back() != '/') path_.push_back('\\');
}

Win32OpenFolder::~Win32OpenFolder() {
    if (handle_ != nullptr) CloseHandle(handle_);
}

Presence Win32OpenFolder::Lookup(const std::string& name) const {
    if (!IsOpen()) return Presence::Unknown;
    if (!IsPlainName(name)) return Presence::Absent;
    PathAttributes found;
    if (QueryAttributes(path_ + name, found)) {
        // A link, device or folder under a listed file's name is no twin to compare with or
        // copy over, and no proof the file is missing either.
        return IsRegularAttributes(found.attributes) ? Presence::Present : Presence::Unknown;
    }
    const DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? Presence::Absent
                                                                            : Presence::Unknown;
}

std::optional<FileInfo> Win32OpenFolder::Info(const std::string& name) const {
    PathAttributes found;
    if (!IsOpen() || !IsPlainName(name) || !QueryAttributes(path_ + name, found) ||
        !IsRegularAttributes(found.attributes)) {
        return std::nullopt;
    }
    // The whole instant, fraction included: the check before each task compares it with
    // what the file holds then, and almost every file written on NTFS has a fraction.
    FileInfo info;
    info.size = found.size;
    info.modifiedSeconds = FileTimeToEpochSeconds(found.lastWrite);
    info.modifiedNanoseconds = FileTimeNanoseconds(found.lastWrite);
    return info;
}

std::optional<LocalDateTime> Win32OpenFolder::ModifiedTime(const std::string& name) const {
    PathAttributes found;
    if (!IsOpen() || !IsPlainName(name) || !QueryAttributes(path_ + name, found) ||
        !IsRegularAttributes(found.attributes)) {
        return std::nullopt;
    }
    return EpochToLocal(FileTimeToEpochSeconds(found.lastWrite));
}

}  // namespace vfs::platform
