#include "platform/open_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace vfs::platform {

namespace {

// A name that would reach outside the folder is never looked up.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

PosixOpenFolder::PosixOpenFolder(const std::string& path) {
    if (!path.empty()) fd_.Reset(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

Presence PosixOpenFolder::Lookup(const std::string& name) const {
    if (!IsOpen()) return Presence::Unknown;
    if (!IsPlainName(name)) return Presence::Absent;
    struct stat st {};
    if (::fstatat(fd_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
        // A link, FIFO, device or folder under a listed file's name is no twin to compare
        // with or copy over, and no proof the file is missing either.
        return S_ISREG(st.st_mode) ? Presence::Present : Presence::Unknown;
    }
    return (errno == ENOENT || errno == ENOTDIR) ? Presence::Absent : Presence::Unknown;
}

std::optional<FileInfo> PosixOpenFolder::Info(const std::string& name) const {
    struct stat st {};
    if (!IsOpen() || !IsPlainName(name) ||
        ::fstatat(fd_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    const auto seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    return FileInfo{EpochToLocal(seconds), static_cast<int64_t>(st.st_size), seconds};
}

std::optional<LocalDateTime> PosixOpenFolder::ModifiedTime(const std::string& name) const {
    struct stat st {};
    if (!IsOpen() || !IsPlainName(name) ||
        ::fstatat(fd_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return EpochToLocal(static_cast<int64_t>(st.st_mtim.tv_sec));
}

}  // namespace vfs::platform
