#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace vfs::platform {

namespace {

const char* RuntimeDir() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    return (dir != nullptr && dir[0] != '\0') ? dir : nullptr;
}

}  // namespace

InstanceLock::InstanceLock(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) {
        folder_ = DefaultFolder();
        perUserFolder_ = RuntimeDir() != nullptr;
    }
    if (!folder_.empty() && folder_.back() == '/') folder_.pop_back();
}

InstanceLock::~InstanceLock() {
    Release();
}

std::string InstanceLock::DefaultFolder() {
    const char* dir = RuntimeDir();
    return dir != nullptr ? dir : "/tmp";
}

std::string InstanceLock::FilePathFor(const std::string& marker) const {
    std::string name = marker;
    if (!perUserFolder_) name += "-uid" + std::to_string(getuid());
    return folder_ + "/" + name + ".lock";
}

bool InstanceLock::Acquire(const std::string& marker) {
    Release();
    const std::string path = FilePathFor(marker);
    UniqueFd fd(open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!fd.IsOpen()) return true;
    if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
    fd_ = std::move(fd);
    return true;
}

void InstanceLock::Release() {
    // The file stays: removing it could let a third instance lock a new file while a
    // second one still waits on the old one.
    fd_.Reset();
}

}  // namespace vfs::platform
