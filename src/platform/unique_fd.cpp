#include "platform/unique_fd.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vfs::platform {

void UniqueFd::Reset(int fd) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
}

bool UniqueFd::Close() {
    if (fd_ < 0) return true;
    return ::close(Release()) == 0;
}

UniqueFd OpenRegularFile(const char* path, int flags, mode_t mode) {
    UniqueFd fd(::open(path, flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, mode));
    if (!fd.IsOpen()) return fd;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        errno = EINVAL;
        return UniqueFd();
    }
    const int status = ::fcntl(fd.Get(), F_GETFL);
    if (status < 0 || ::fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK) != 0) return UniqueFd();
    return fd;
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        // A write of nothing would repeat for ever.
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool HasWriteBit(mode_t mode) {
    return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

}  // namespace vfs::platform
