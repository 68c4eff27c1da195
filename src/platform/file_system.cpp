#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/name_patterns.h"
#include "platform/unique_fd.h"

namespace vfs::platform {

namespace {

bool StatPath(const std::string& path, struct stat& st) {
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && S_ISDIR(st.st_mode);
}

bool EntryExists(const std::string& path) {
    if (path.empty()) return false;
    std::size_t slash = path.find_last_of('/');
    std::string last = slash == std::string::npos ? path : path.substr(slash + 1);
    if (last.find_first_of("*?") == std::string::npos) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    auto entries = ListAllEntries(folder);
    if (!entries) return false;
    return std::any_of(entries->begin(), entries->end(), [&](const std::string& e) {
        return e != "." && e != ".." && MatchesPattern(e, last);
    });
}

bool MakeDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0777) == 0;
}

bool RemoveEmptyDirectory(const std::string& path) {
    return !path.empty() && ::rmdir(path.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) return false;
    if (S_ISREG(st.st_mode) && !HasWriteBit(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    if (from.empty() || to.empty()) return false;
#ifdef SYS_renameat2
    long rc =
        ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), 1u /*NOREPLACE*/);
    if (rc == 0) return true;
    if (errno != EINVAL && errno != ENOSYS) return false;
#endif
    // File systems without the no-replace flag: test, then rename.
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool IsReadOnly(const std::string& path) {
    struct stat st {};
    return StatPath(path, st) && !HasWriteBit(st.st_mode);
}

int64_t WritableFileSize(const std::string& path) {
    struct stat st {};
    if (!StatPath(path, st) || !S_ISREG(st.st_mode) || !HasWriteBit(st.st_mode)) return -1;
    UniqueFd fd = OpenRegularFile(path.c_str(), O_WRONLY);
    if (!fd.IsOpen()) return -1;
    struct stat fst {};
    return ::fstat(fd.Get(), &fst) == 0 ? static_cast<int64_t>(fst.st_size) : -1;
}

std::optional<EntryState> Examine(const std::string& path) {
    struct stat st {};
    if (path.empty()) return std::nullopt;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return EntryState{};
        return std::nullopt;
    }
    EntryState state;
    state.exists = true;
    state.regular = S_ISREG(st.st_mode);
    state.size = static_cast<int64_t>(st.st_size);
    state.modifiedSeconds = static_cast<int64_t>(st.st_mtim.tv_sec);
    state.modifiedNanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
    state.changedSeconds = static_cast<int64_t>(st.st_ctim.tv_sec);
    return state;
}

std::optional<FolderMount> StatFolderMount(const std::string& folder) {
    struct statx sx {};
    if (folder.empty() ||
        ::statx(AT_FDCWD, folder.c_str(), 0, STATX_TYPE | STATX_MNT_ID, &sx) != 0 ||
        !S_ISDIR(sx.stx_mode)) {
        return std::nullopt;
    }
    FolderMount found;
    found.device = static_cast<uint64_t>(makedev(sx.stx_dev_major, sx.stx_dev_minor));
    if ((sx.stx_mask & STATX_MNT_ID) != 0) found.mountId = sx.stx_mnt_id;
    return found;
}

unsigned OrdinaryFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::optional<uint64_t> FileSystemId(const std::string& folder) {
    const std::optional<FolderMount> found = StatFolderMount(folder);
    if (!found || !found->mountId) return found ? std::optional(found->device) : std::nullopt;
    // A bind mount of another folder of the same disk keeps the device number; only the
    // mount tells it from the folder it covers.
    return found->device * 0x9E3779B97F4A7C15ULL ^ *found->mountId;
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (!StatPath(path, st) || !S_ISREG(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

std::optional<LocalDateTime> ModifiedTime(const std::string& path) {
    struct stat st {};
    if (!StatPath(path, st)) return std::nullopt;
    return EpochToLocal(static_cast<int64_t>(st.st_mtim.tv_sec));
}

bool SetModifiedTime(const std::string& path, const LocalDateTime& when) {
    struct stat st {};
    if (!StatPath(path, st) || !HasWriteBit(st.st_mode)) return false;
    auto secs = LocalToEpoch(when);
    if (!secs) return false;
    // The access time is given as it is rather than left out: some share clients and disk
    // drivers ignore the call, or stamp "now", when it is left out.
    timespec times[2];
    times[0] = st.st_atim;
    times[1].tv_sec = static_cast<time_t>(*secs);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool SetModifiedInstant(const std::string& path, int64_t seconds, int64_t nanoseconds) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    timespec times[2];
    times[0] = st.st_atim;
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = static_cast<long>(nanoseconds);
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<DiskSpace> QueryDiskSpace(const std::string& path) {
    struct statvfs vfs {};
    if (path.empty() || ::statvfs(path.c_str(), &vfs) != 0) return std::nullopt;
    DiskSpace space;
    space.availableToUser = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    space.total = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    return space;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // The program's own files are regular files: a link is not followed, a FIFO in a state
    // file's place cannot hang the program.
    UniqueFd fd = path.empty() ? UniqueFd() : OpenRegularFile(path.c_str(), O_RDONLY);
    if (!fd.IsOpen()) return std::nullopt;
    std::string content;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        content.append(buf, static_cast<std::size_t>(n));
    }
    return content;
}

struct AtomicFileWriter::Temporary {
    std::vector<char> name;  // the mkstemp template, then the temporary file's name
    UniqueFd fd;
};

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    errno = 0;
    if (path.empty() || IsReadOnly(path) || IsDirectory(path)) {
        Fail();
        return;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    // A hidden temporary name, so folder listings never pick it up.
    const std::string tmpl = folder + "." + base + ".vfs-XXXXXX";
    auto temporary = std::make_unique<Temporary>();
    temporary->name.assign(tmpl.begin(), tmpl.end());
    temporary->name.push_back('\0');
    temporary->fd.Reset(::mkstemp(temporary->name.data()));
    if (!temporary->fd.IsOpen()) {
        Fail();
        return;
    }
    temporary_ = std::move(temporary);
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!temporary_) return;
    // The caller may still read errno for the failure that left the file unfinished.
    const int error = errno;
    temporary_->fd.Close();
    ::unlink(temporary_->name.data());
    errno = error;
}

bool AtomicFileWriter::WriteOut(std::string_view data) {
    return WriteAll(temporary_->fd.Get(), data.data(), data.size());
}

bool AtomicFileWriter::Commit() {
    if (!failed_ && Flush()) {
        const int fd = temporary_->fd.Get();
        bool ok = ::fsync(fd) == 0 || Fail();
        ok = (::fchmod(fd, OrdinaryFileMode()) == 0 || Fail()) && ok;
        ok = (temporary_->fd.Close() || Fail()) && ok;
        if (ok && ::rename(temporary_->name.data(), path_.c_str()) == 0) {
            temporary_.reset();
            return true;
        }
        if (ok) Fail();
    }
    if (temporary_) {
        temporary_->fd.Close();
        ::unlink(temporary_->name.data());
        temporary_.reset();
    }
    errno = error_;
    return false;
}

bool AppendToFile(const std::string& path, const std::string& content) {
    if (path.empty() || IsReadOnly(path)) return false;
    UniqueFd fd = OpenRegularFile(path.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0666);
    if (!fd.IsOpen()) return false;
    bool ok = WriteAll(fd.Get(), content.data(), content.size());
    return fd.Close() && ok;
}

std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                   const std::string& patterns) {
    if (folder.empty()) return std::nullopt;
    return ListOpenFolder(UniqueFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)),
                          patterns, nullptr);
}

std::optional<std::vector<std::string>> ListOpenFolder(UniqueFd folderFd,
                                                       const std::string& patterns,
                                                       SeenEntries* seen) {
    if (!folderFd.IsOpen()) return std::nullopt;
    DIR* dir = ::fdopendir(folderFd.Get());
    if (!dir) return std::nullopt;
    // From here the directory stream owns the descriptor and closedir closes it.
    const int fd = folderFd.Release();
    const std::vector<std::string> wanted = SplitPatterns(patterns);
    std::vector<std::string> names;
    using Kind = SeenEntries::Kind;
    // A read error ends the listing early; a partial listing must not pass for the folder.
    for (errno = 0; dirent* e = ::readdir(dir); errno = 0) {
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        // Hidden names are never listed, only remembered for the look-ups.
        const bool listable = name[0] != '.' && MatchesAnyPattern(name, wanted);
        Kind kind = e->d_type == DT_REG       ? Kind::Regular
                    : e->d_type == DT_UNKNOWN ? Kind::Unsure
                                              : Kind::Other;
        if (kind == Kind::Unsure && listable) {
            struct stat st {};
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
                kind = S_ISREG(st.st_mode) ? Kind::Regular : Kind::Other;
            }
        }
        if (seen) seen->Add(name, kind);
        if (listable && kind == Kind::Regular) names.emplace_back(name);
    }
    const bool readFailed = errno != 0;
    ::closedir(dir);
    if (readFailed) return std::nullopt;
    SortIgnoringCase(names);
    return names;
}

std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder) {
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!dir) return std::nullopt;
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    return names;
}

std::string ExecutableFolder() {
    char buf[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return {};
    std::string path(buf, static_cast<std::size_t>(n));
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash == 0 ? 1 : slash);
}

// Listed through the folder it opens: the names and the look-ups are of the same folder,
// and the look-ups of listed names need not ask the disk again.
ListedFolder NativeFileSystem::ListAndOpen(const std::string& folder, const std::string& patterns) {
    auto open = std::make_unique<PosixOpenFolder>(folder);
    ListedFolder listed;
    listed.names = open->List(patterns);
    listed.folder = std::move(open);
    return listed;
}

}  // namespace vfs::platform
