#include "platform/open_folder.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/file_system.h"

namespace vfs::platform {

namespace {

// A name that would reach outside the folder is never looked up.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace

void SeenEntries::Add(std::string_view name, Kind kind) {
    if (names_.Add(name)) {
        kinds_.push_back(kind);
    } else {
        incomplete_ = true;
    }
}

void SeenEntries::Seal() {
    names_.Seal();
}

std::optional<SeenEntries::Kind> SeenEntries::Find(std::string_view name) const {
    const std::optional<uint32_t> number = names_.Find(name);
    if (number) return kinds_[*number];
    if (incomplete_) return Kind::Unsure;
    return std::nullopt;
}

PosixOpenFolder::PosixOpenFolder(const std::string& path) {
    if (!path.empty()) fd_.Reset(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

Presence PosixOpenFolder::Lookup(const std::string& name) const {
    if (!IsOpen()) return Presence::Unknown;
    if (!IsPlainName(name)) return Presence::Absent;
    if (seen_) {
        // The listing read the whole folder without error: a name it did not see was not
        // there, and what it saw under a name is what a look-up would find.
        const std::optional<SeenEntries::Kind> kind = seen_->Find(name);
        if (!kind) return Presence::Absent;
        if (*kind == SeenEntries::Kind::Regular) return Presence::Present;
        if (*kind == SeenEntries::Kind::Other) return Presence::Unknown;
    }
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
    return FileInfo{static_cast<int64_t>(st.st_size), seconds,
                    static_cast<int64_t>(st.st_mtim.tv_nsec),
                    static_cast<int64_t>(st.st_ctim.tv_sec)};
}

std::optional<LocalDateTime> PosixOpenFolder::ModifiedTime(const std::string& name) const {
    struct stat st {};
    if (!IsOpen() || !IsPlainName(name) ||
        ::fstatat(fd_.Get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return EpochToLocal(static_cast<int64_t>(st.st_mtim.tv_sec));
}

std::optional<std::vector<std::string>> PosixOpenFolder::List(const std::string& patterns) {
    if (!IsOpen()) return std::nullopt;
    // A descriptor of its own for the directory stream, which closes it; the one held stays
    // for the look-ups.
    UniqueFd listing(::openat(fd_.Get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing.IsOpen()) return std::nullopt;
    SeenEntries seen;
    std::optional<std::vector<std::string>> names =
        ListOpenFolder(std::move(listing), patterns, &seen);
    if (!names) return std::nullopt;
    seen.Seal();
    seen_ = std::move(seen);
    return names;
}

}  // namespace vfs::platform
