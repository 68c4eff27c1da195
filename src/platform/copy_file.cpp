#include "platform/copy_file.h"

#include "platform/file_system.h"
#include "platform/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace vfs::platform {

namespace {

// Permission bits only: set-id bits of a synced file are not carried to another machine.
constexpr mode_t kModeBits = 0777;

// The two file descriptors of one copy, closed on every way out.
struct CopyFiles {
    UniqueFd in;
    UniqueFd out;
};

// Moves one chunk from `in` to `out` at their current offsets: the bytes moved, 0 at the
// end of the source, -1 on failure. Uses copy_file_range until the file systems refuse
// it, then read/write for the rest of the file.
class ChunkMover {
  public:
    int64_t Move(int in, int out) {
        if (kernelCopy_) {
            ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, kCopyChunkBytes, 0);
            if (n > 0) return n;
            if (n < 0 && errno == EINTR) return Move(in, out);
            if (n < 0 && !CanFallBack(errno)) return -1;
            // Some kernels answer 0 before the end for files of another file system, so
            // the end of the source is only believed when a plain read confirms it;
            // otherwise the copy would stop short and still count as complete.
            kernelCopy_ = false;
        }
        return ReadWrite(in, out);
    }

  private:
    static bool CanFallBack(int err) {
        return err == EXDEV || err == ENOSYS || err == EINVAL || err == EOPNOTSUPP ||
               err == EPERM || err == ETXTBSY;
    }

    int64_t ReadWrite(int in, int out) {
        if (buffer_.empty()) buffer_.resize(static_cast<std::size_t>(kCopyChunkBytes));
        ssize_t n;
        do {
            n = ::read(in, buffer_.data(), buffer_.size());
        } while (n < 0 && errno == EINTR);
        if (n <= 0) return n;
        return WriteAll(out, buffer_.data(), static_cast<std::size_t>(n)) ? n : -1;
    }

    bool kernelCopy_ = true;
    std::vector<char> buffer_;
};

bool OpenSource(const std::string& source, CopyFiles& files, struct stat& st) {
    files.in.Reset(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (!files.in.IsOpen()) return false;
    return ::fstat(files.in.Get(), &st) == 0 && S_ISREG(st.st_mode);
}

// A read-only destination is refused, as is anything that is not a regular file (a folder,
// a FIFO that would block, a symlink that would write elsewhere).
bool DestinationAcceptable(const std::string& destination) {
    struct stat st {};
    if (::lstat(destination.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode) && HasWriteBit(st.st_mode);
}

bool OpenDestination(const std::string& destination, CopyFiles& files) {
    files.out.Reset(
        ::open(destination.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
    return files.out.IsOpen();
}

bool CopyData(const CopyFiles& files, int64_t total, const CopyProgress& progress,
              const int32_t* cancelFlag) {
    ChunkMover mover;
    int64_t transferred = 0;
    for (;;) {
        if (cancelFlag && *cancelFlag != 0) return false;
        int64_t n = mover.Move(files.in.Get(), files.out.Get());
        if (n < 0) return false;
        if (n == 0) return true;
        transferred += n;
        if (progress) progress(total, transferred);
    }
}

// The time first, then the mode: a read-only mode set last cannot get in the way of
// anything written before it.
bool CarryOverAttributes(int out, const struct stat& source) {
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1] = source.st_mtim;
    if (::futimens(out, times) != 0) return false;
    return ::fchmod(out, source.st_mode & kModeBits) == 0;
}

void SyncFolderOf(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.IsOpen()) ::fsync(fd.Get());
}

}  // namespace

bool CopyFileChunked(const std::string& source, const std::string& destination,
                     const CopyProgress& progress, const int32_t* cancelFlag) {
    if (source.empty() || destination.empty()) return false;
    CopyFiles files;
    struct stat st {};
    if (!OpenSource(source, files, st)) return false;
    if (!DestinationAcceptable(destination) || !OpenDestination(destination, files)) return false;
    bool ok = CopyData(files, static_cast<int64_t>(st.st_size), progress, cancelFlag) &&
              CarryOverAttributes(files.out.Get(), st);
    ok = files.out.Close() && ok;
    // What was written is incomplete or unconfirmed: it must not stand under any name.
    if (!ok) ::unlink(destination.c_str());
    return ok;
}

bool FlushFileToDisk(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.IsOpen() && ::fsync(fd.Get()) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting) {
    if (from.empty() || to.empty()) return false;
    if (replaceExisting) {
        struct stat st {};
        if (::lstat(to.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || !HasWriteBit(st.st_mode)) {
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
