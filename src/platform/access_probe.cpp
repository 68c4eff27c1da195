#include "platform/access_probe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/unique_fd.h"

namespace vfs::platform {

namespace {

// O_NONBLOCK keeps a FIFO put in the file's place from holding the program at start-up.
int OpenError(const std::string& file, int flags) {
    UniqueFd fd(::open(file.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    return fd.IsOpen() ? 0 : errno;
}

// A settings file is text in a regular file; anything else in its place cannot be read as
// one (reading a FIFO would wait for a writer, a folder has no text).
int NotRegularError(const std::string& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0) return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode)) return EISDIR;
    return S_ISREG(st.st_mode) ? 0 : EINVAL;
}

}  // namespace

int ProbeReadableIfPresent(const std::string& file) {
    if (int error = NotRegularError(file); error != 0) return error;
    const int error = OpenError(file, O_RDONLY);
    return error == ENOENT ? 0 : error;
}

int ProbeWritableFolder(const std::string& folder) {
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += ".vfs-probe-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    UniqueFd fd(::mkostemp(name.data(), O_CLOEXEC));
    if (!fd.IsOpen()) return errno;
    ::unlink(name.data());
    return 0;
}

int ProbeWritableIfPresent(const std::string& file) {
    if (int error = NotRegularError(file); error != 0) return error;
    const int error = OpenError(file, O_WRONLY);
    return error == ENOENT ? 0 : error;
}

}  // namespace vfs::platform
