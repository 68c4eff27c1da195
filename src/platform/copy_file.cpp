#include "platform/copy_file.h"

#include "platform/file_system.h"
#include "platform/folder_traits.h"
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <vector>

namespace vfs::platform {

namespace {

// Permission bits only: set-id bits of a synced file are not carried to another machine.
constexpr mode_t kModeBits = 0777;
constexpr int64_t kBlockBytes = 512;  // the unit of st_blocks

// The two file descriptors of one copy, closed on every way out, and the source as it was
// when opened.
struct CopyFiles {
    UniqueFd in;
    UniqueFd out;
    struct stat source {};
};

// Moves up to `limit` bytes from `in` to `out` at their current offsets: the bytes moved,
// 0 at the end of the source, -1 on failure (errno tells why). Uses copy_file_range until
// the file systems refuse it, then read/write for the rest of the file.
class ChunkMover {
  public:
    int64_t Move(int in, int out, int64_t limit) {
        const auto size = static_cast<std::size_t>(std::min(limit, kCopyChunkBytes));
        if (kernelCopy_) {
            ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size, 0);
            if (n > 0) return n;
            if (n < 0 && errno == EINTR) return Move(in, out, limit);
            if (n < 0 && !CanFallBack(errno)) return -1;
            // Some kernels answer 0 before the end for files of another file system, so
            // the end of the source is only believed when a plain read confirms it;
            // otherwise the copy would stop short and still count as complete.
            kernelCopy_ = false;
        }
        return ReadWrite(in, out, size);
    }

  private:
    static bool CanFallBack(int err) {
        return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP ||
               err == EPERM || err == ETXTBSY;
    }

    int64_t ReadWrite(int in, int out, std::size_t size) {
        if (buffer_.empty()) buffer_.resize(static_cast<std::size_t>(kCopyChunkBytes));
        ssize_t n;
        do {
            n = ::read(in, buffer_.data(), size);
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return n;
        return WriteAll(out, buffer_.data(), static_cast<std::size_t>(n)) ? n : -1;
    }

    bool kernelCopy_ = true;
    std::vector<char> buffer_;
};

// One copy in progress: the result so far, the cancel flag and the progress report.
struct CopyJob {
    CopyFiles files;
    CopyResult result;
    const CopyProgress& progress;
    const int32_t* cancelFlag;
    ChunkMover mover;

    bool Fail(int err) {
        result.error = err;
        return false;
    }
    bool Cancelled() const { return cancelFlag && *cancelFlag != 0; }
    int64_t Total() const { return static_cast<int64_t>(files.source.st_size); }
    void Report(int64_t done) const {
        if (progress) progress(Total(), done);
    }
};

// The source is opened without following a link and without blocking (a FIFO would wait
// for a writer forever), then checked to be a regular file and set back to blocking reads.
bool OpenSource(const std::string& source, CopyJob& job) {
    job.files.in = OpenRegularFile(source.c_str(), O_RDONLY);
    if (!job.files.in.IsOpen()) return job.Fail(errno);
    return ::fstat(job.files.in.Get(), &job.files.source) == 0 || job.Fail(errno);
}

// Created exclusively: whatever bears the name already (an operator's file, another
// session's copy, a link, a FIFO) is left alone.
bool OpenDestination(const std::string& destination, CopyJob& job) {
    job.files.out.Reset(
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    return job.files.out.IsOpen() || job.Fail(errno);
}

// Copies `length` bytes from the current offsets; false on failure, cancel, or a source
// that ended early (it was shortened meanwhile).
bool CopyRange(CopyJob& job, int64_t start, int64_t length) {
    int64_t done = 0;
    while (done < length) {
        if (job.Cancelled()) return job.Fail(0);
        const int64_t n = job.mover.Move(job.files.in.Get(), job.files.out.Get(), length - done);
        if (n < 0) return job.Fail(errno);
        if (n == 0) {
            job.result.sourceChanged = true;
            return false;
        }
        done += n;
        job.Report(start + done);
    }
    return true;
}

// A file without holes is copied front to back until the end of the source, which may lie
// beyond the size it reports (some kernel files report 0).
bool CopyWhole(CopyJob& job) {
    int64_t transferred = 0;
    for (;;) {
        if (job.Cancelled()) return job.Fail(0);
        const int64_t n = job.mover.Move(job.files.in.Get(), job.files.out.Get(), kCopyChunkBytes);
        if (n < 0) return job.Fail(errno);
        if (n == 0) return true;
        transferred += n;
        job.Report(transferred);
    }
}

// Only the stretches that hold data are copied; the holes between them are left as holes
// and the length is set at the end, so a mostly empty recording takes little space.
// Answers nothing when the file system cannot tell data from holes.
std::optional<bool> CopySparse(CopyJob& job) {
    const int in = job.files.in.Get();
    const int out = job.files.out.Get();
    const off_t size = job.files.source.st_size;
    off_t offset = 0;
    while (offset < size) {
        const off_t data = ::lseek(in, offset, SEEK_DATA);
        if (data < 0 && errno == ENXIO) break;  // only a hole is left
        if (data < 0 && offset == 0 && (errno == EINVAL || errno == EOPNOTSUPP)) {
            return std::nullopt;
        }
        if (data < 0) return job.Fail(errno);
        const off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0) return job.Fail(errno);
        // Both files go on from the start of the data (looking for the hole moved the source).
        if (::lseek(in, data, SEEK_SET) < 0 || ::lseek(out, data, SEEK_SET) < 0) {
            return job.Fail(errno);
        }
        const off_t end = std::min(hole, size);
        if (!CopyRange(job, data, end - data)) return false;
        offset = end;
    }
    if (::ftruncate(out, size) != 0) return job.Fail(errno);
    job.Report(size);
    return true;
}

bool HasHoles(const struct stat& st) {
    return static_cast<int64_t>(st.st_blocks) * kBlockBytes < static_cast<int64_t>(st.st_size);
}

bool CopyData(CopyJob& job) {
    if (HasHoles(job.files.source)) {
        if (std::optional<bool> sparse = CopySparse(job)) return *sparse;
        if (::lseek(job.files.in.Get(), 0, SEEK_SET) != 0) return job.Fail(errno);
    }
    return CopyWhole(job);
}

bool SameInstant(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The source is asked again through the open file: any write during the copy moved its
// modified or change time or its length, so the copy may hold a mix of two versions.
bool SourceUnchanged(CopyJob& job) {
    struct stat now {};
    if (::fstat(job.files.in.Get(), &now) != 0) return job.Fail(errno);
    const struct stat& then = job.files.source;
    if (now.st_size == then.st_size && SameInstant(now.st_mtim, then.st_mtim) &&
        SameInstant(now.st_ctim, then.st_ctim)) {
        return true;
    }
    job.result.sourceChanged = true;
    return false;
}

// Whether the mode bits of the file system an open file lies on mean anything: on a FAT or
// exFAT disk or a Windows share every file reads 0777 (or 0744), and a copy taking that
// mode over would make an operator's files executable and writable by everyone; and such a
// file system may refuse a mode it cannot keep.
bool KeepsPermissions(int fd, const std::string& mountTable) {
    struct statx sx {};
    if (::statx(fd, "", AT_EMPTY_PATH, STATX_MNT_ID, &sx) != 0 ||
        (sx.stx_mask & STATX_MNT_ID) == 0) {
        return true;
    }
    const std::optional<MountEntry> mount = FindMount(mountTable, sx.stx_mnt_id);
    return !mount || TypeKeepsPermissions(mount->type);
}

// The time first, then the mode: a read-only mode set last cannot get in the way of
// anything written before it. The time is the exact instant of the version copied; the
// access time is given too, as some drivers take "leave it" for "now" and stamp both.
// The source's mode is carried where its file system keeps modes (a FAT disk or a Windows
// share shows 0777 or 0744 for every file; a copy from there gets the ordinary mode). A
// destination that keeps no modes may refuse to be told, which does not fail the copy.
bool CarryOverAttributes(CopyJob& job) {
    const int out = job.files.out.Get();
    const timespec times[2] = {job.files.source.st_atim, job.files.source.st_mtim};
    if (::futimens(out, times) != 0) return job.Fail(errno);
    const std::optional<std::string> mounts = ReadWholeFile("/proc/self/mountinfo");
    const bool sourceKeeps = !mounts || KeepsPermissions(job.files.in.Get(), *mounts);
    const bool destinationKeeps = !mounts || KeepsPermissions(out, *mounts);
    const mode_t mode = sourceKeeps ? (job.files.source.st_mode & kModeBits)
                                    : static_cast<mode_t>(OrdinaryFileMode());
    if (::fchmod(out, mode) != 0 && destinationKeeps) return job.Fail(errno);
    return true;
}

// Some file systems drop a time set through the open file once it is closed: a Samba server
// stamps the time of the last write on the file a moment after the close, unless the time
// was set by name since. So the time is set once more by name after the close (the access
// time given too: some drivers take "leave it" for "now"). A file system that keeps times in
// coarser steps (2 seconds on FAT) still cannot hold it exactly; the record of the sync
// keeps what it holds, so later runs do not take that for an edit.
void StampAfterClose(const std::string& destination, const struct stat& source) {
    const timespec times[2] = {source.st_atim, source.st_mtim};
    ::utimensat(AT_FDCWD, destination.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

void SyncFolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) ::fsync(fd.Get());
}

}  // namespace

CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                           const CopyProgress& progress, const int32_t* cancelFlag) {
    CopyJob job{{}, {}, progress, cancelFlag, {}};
    if (source.empty() || destination.empty()) return job.result;
    if (!OpenSource(source, job) || !OpenDestination(destination, job)) return job.result;
    bool ok = CopyData(job) && SourceUnchanged(job) && CarryOverAttributes(job);
    if (!job.files.out.Close() && ok) ok = job.Fail(errno);
    if (ok) StampAfterClose(destination, job.files.source);
    if (ok) {
        job.result.sourceSize = static_cast<int64_t>(job.files.source.st_size);
        job.result.sourceSeconds = static_cast<int64_t>(job.files.source.st_mtim.tv_sec);
        job.result.sourceNanoseconds = static_cast<int64_t>(job.files.source.st_mtim.tv_nsec);
    }
    // What was written is incomplete, mixed or unconfirmed: it must not stand under any
    // name. The file is ours alone (created exclusively), so removing it harms no one.
    if (!ok) ::unlink(destination.c_str());
    job.result.ok = ok;
    return job.result;
}

bool FlushFileToDisk(const std::string& path) {
    UniqueFd fd = OpenRegularFile(path.c_str(), O_RDONLY);
    return fd.IsOpen() && ::fsync(fd.Get()) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting) {
    if (from.empty() || to.empty()) return false;
    if (replaceExisting) {
        struct stat st {};
        if (::lstat(to.c_str(), &st) != 0) return false;
        // Only a regular file is replaced, and a read-only one is the operator's word that it
        // stays.
        if (!S_ISREG(st.st_mode) || !HasWriteBit(st.st_mode)) {
            errno = S_ISREG(st.st_mode) ? EACCES : EINVAL;
            return false;
        }
        if (::rename(from.c_str(), to.c_str()) != 0) return false;
    } else if (!RenameNoReplace(from, to)) {
        return false;
    }
    SyncFolderOf(to);
    return true;
}

}  // namespace vfs::platform
