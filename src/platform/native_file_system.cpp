// The operating system's own files behind the file-system interface: each call goes to the
// free function of this system's build (file_system.cpp or file_system_win32.cpp).
#include "platform/copy_file.h"
#include "platform/file_system.h"
#include "platform/open_folder.h"

namespace vfs::platform {

bool NativeFileSystem::IsDirectory(const std::string& path) {
    return platform::IsDirectory(path);
}

bool NativeFileSystem::EntryExists(const std::string& path) {
    return platform::EntryExists(path);
}

bool NativeFileSystem::MakeDirectory(const std::string& path) {
    return platform::MakeDirectory(path);
}

bool NativeFileSystem::RemoveEmptyDirectory(const std::string& path) {
    return platform::RemoveEmptyDirectory(path);
}

bool NativeFileSystem::RemoveFile(const std::string& path) {
    return platform::RemoveFile(path);
}

bool NativeFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    return platform::RenameNoReplace(from, to);
}

bool NativeFileSystem::MoveIntoPlace(const std::string& from, const std::string& to,
                                     bool replaceExisting) {
    return platform::MoveIntoPlace(from, to, replaceExisting);
}

int64_t NativeFileSystem::WritableFileSize(const std::string& path) {
    return platform::WritableFileSize(path);
}

std::optional<LocalDateTime> NativeFileSystem::ModifiedTime(const std::string& path) {
    return platform::ModifiedTime(path);
}

bool NativeFileSystem::SetModifiedTime(const std::string& path, const LocalDateTime& when) {
    return platform::SetModifiedTime(path, when);
}

bool NativeFileSystem::SetModifiedInstant(const std::string& path, int64_t seconds,
                                          int64_t nanoseconds) {
    return platform::SetModifiedInstant(path, seconds, nanoseconds);
}

std::optional<DiskSpace> NativeFileSystem::QueryDiskSpace(const std::string& path) {
    return platform::QueryDiskSpace(path);
}

std::optional<std::vector<std::string>> NativeFileSystem::ListFolder(const std::string& folder,
                                                                     const std::string& patterns) {
    return platform::ListFolder(folder, patterns);
}

std::optional<std::vector<std::string>> NativeFileSystem::ListAllEntries(
    const std::string& folder) {
    return platform::ListAllEntries(folder);
}

std::unique_ptr<OpenFolder> NativeFileSystem::Open(const std::string& folder) {
    return std::make_unique<NativeOpenFolder>(folder);
}

CopyResult NativeFileSystem::CopyFileChunked(const std::string& source,
                                             const std::string& destination,
                                             const CopyProgress& progress,
                                             const int32_t* cancelFlag) {
    return platform::CopyFileChunked(source, destination, progress, cancelFlag);
}

std::optional<EntryState> NativeFileSystem::Examine(const std::string& path) {
    return platform::Examine(path);
}

std::optional<uint64_t> NativeFileSystem::FileSystemId(const std::string& folder) {
    return platform::FileSystemId(folder);
}

std::optional<FolderTraits> NativeFileSystem::DescribeFolder(const std::string& folder) {
    return platform::DescribeFolder(folder);
}

bool NativeFileSystem::FlushFileToDisk(const std::string& path) {
    return platform::FlushFileToDisk(path);
}

}  // namespace vfs::platform
