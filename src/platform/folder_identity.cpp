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

// A disk image attached to a loop device gets whichever loop device is free at the time;
// the image file it shows stays the same.
std::string LoopBackingFile(const std::string& source) {
    const std::string device = RealPath(source);
    const std::string prefix = "/dev/loop";
    if (!device.starts_with(prefix)) return {};
    const std::optional<std::string> backing =
        ReadWholeFile("/sys/block/" + device.substr(5) + "/loop/backing_file");
    if (!backing || backing->empty()) return {};
    std::string file = *backing;
    while (!file.empty() && (file.back() == '\n' || file.back() == ' '))
        file.pop_back();
    return file.empty() ? std::string() : "loop=" + file;
}

// The steadiest name of a disk: its UUID where the system lists one, else the image file of
// a loop device; nothing where the device path is all there is.
std::string StableDiskName(const std::string& source) {
    if (!source.starts_with("/dev/")) return {};
    const std::string uuid = DiskUuid(source);
    return uuid.empty() ? LoopBackingFile(source) : uuid;
}

}  // namespace

std::optional<FolderTraits> DescribeFolder(const std::string& folder) {
    const std::optional<FolderMount> st = StatFolderMount(folder);
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
    traits.identity = FolderIdentity(*mount, real, StableDiskName(mount->source), st->device);
    traits.deviceChangesOnMount = TypeChangesDeviceOnMount(mount->type);
    traits.foldsCase = TypeFoldsCase(mount->type);
    traits.restrictsNames = TypeRestrictsNames(mount->type);
    traits.keepsPermissions = TypeKeepsPermissions(mount->type);
    return traits;
}

}  // namespace vfs::platform
