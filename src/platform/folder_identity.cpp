// The identity and habits of a folder's file system, read from the kernel's mount table.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <memory>

#include "platform/file_system.h"
#include "platform/folder_traits.h"

namespace vfs::platform {

namespace {

std::string RealPath(const std::string& path) {
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    return real ? std::string(real.get()) : std::string();
}

// A disk's device path ("/dev/sdb1") depends on the order the disks were found in; its UUID,
// where the system lists one, stays with the disk.
std::string DiskUuid(const std::string& source) {
    const std::string device = RealPath(source);
    if (device.empty()) return {};
    const std::string folder = "/dev/disk/by-uuid/";
    struct CloseDir {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir) return {};
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (RealPath(folder + name) == device) return "UUID=" + name;
    }
    return {};
}

struct FolderStat {
    uint64_t device = 0;
    std::optional<uint64_t> mountId;
};

std::optional<FolderStat> StatFolder(const std::string& folder) {
    struct statx sx {};
    if (folder.empty() ||
        ::statx(AT_FDCWD, folder.c_str(), 0, STATX_TYPE | STATX_MNT_ID, &sx) != 0 ||
        !S_ISDIR(sx.stx_mode)) {
        return std::nullopt;
    }
    FolderStat found;
    found.device = (static_cast<uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
    // The number stat gives, which records of earlier versions kept.
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) found.device = static_cast<uint64_t>(st.st_dev);
    if ((sx.stx_mask & STATX_MNT_ID) != 0) found.mountId = sx.stx_mnt_id;
    return found;
}

}  // namespace

std::optional<FolderTraits> DescribeFolder(const std::string& folder) {
    const std::optional<FolderStat> st = StatFolder(folder);
    if (!st) return std::nullopt;
    const std::string real = RealPath(folder);
    const std::optional<std::string> table = ReadWholeFile("/proc/self/mountinfo");
    std::optional<MountEntry> mount;
    if (table && st->mountId) mount = FindMount(*table, *st->mountId);
    if (table && !mount && !real.empty()) mount = MountOfPath(*table, real);
    FolderTraits traits;
    traits.device = st->device;
    if (!mount || real.empty()) {
        // Without a mount table only the device number and the path are known.
        traits.identity =
            "dev=" + std::to_string(st->device) + "|" + (real.empty() ? folder : real);
        return traits;
    }
    traits.type = mount->type;
    const std::string uuid = mount->source.starts_with("/dev/") ? DiskUuid(mount->source) : "";
    traits.identity = FolderIdentity(*mount, real, uuid, st->device);
    traits.deviceChangesOnMount = TypeChangesDeviceOnMount(mount->type);
    traits.foldsCase = TypeFoldsCase(mount->type);
    traits.restrictsNames = TypeRestrictsNames(mount->type);
    traits.keepsPermissions = TypeKeepsPermissions(mount->type);
    return traits;
}

}  // namespace vfs::platform
