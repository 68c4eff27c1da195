#include "platform/record_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/unique_fd.h"

namespace vfs::platform {

std::optional<std::string> ReadRegularFile(const std::string& path) {
    if (path.empty()) return std::nullopt;
    // Non-blocking, so opening a FIFO returns at once; the type is checked on the open file.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!fd.IsOpen()) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n == 0) return text;
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReplaceByRename(const std::string& from, const std::string& to) {
    return !from.empty() && !to.empty() && std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace vfs::platform
