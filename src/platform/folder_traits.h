// What the sync needs to know of the file system a synced folder lies on: which folder it
// really is (so a remounted share is told from a bare mount point or another share), and the
// habits of that file system that decide how names and files can be carried onto it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vfs::platform {

struct FolderTraits {
    // The folder as its file system knows it: the file system's type and source and the
    // folder's place inside it. It stays the same over a remount and a reboot, and differs
    // for a bare mount point, a bind mount over the folder or another share at the path.
    std::string identity;
    std::string type;     // the file system's type as the system names it ("ext4", "cifs", ...)
    uint64_t device = 0;  // the folder's device number (records of earlier versions kept it)
    // Network and FUSE file systems get a new device number at every mount.
    bool deviceChangesOnMount = false;
    bool foldsCase = false;        // "Show.kvo" and "show.kvo" are one file there
    bool restrictsNames = false;   // names follow the Windows rules (see WindowsNameProblem)
    bool keepsPermissions = true;  // the mode bits of a file mean something there
};

// Nothing when the folder cannot be reached.
std::optional<FolderTraits> DescribeFolder(const std::string& folder);

// The habits of a file system type, as the system names it (the type column of the mount
// table; FUSE file systems as "fuse.<name>", "fuseblk" for the FUSE drivers of the Windows
// disk formats).
bool TypeRestrictsNames(std::string_view type);
bool TypeFoldsCase(std::string_view type);
bool TypeKeepsPermissions(std::string_view type);
bool TypeChangesDeviceOnMount(std::string_view type);

// Why a Windows file system (and a share of a Windows machine) cannot hold a name: a
// character it refuses, a trailing dot or blank, a reserved device name. Nothing for a name
// it can hold.
std::optional<std::string> WindowsNameProblem(std::string_view name);

// The errors of a look-up on a share that dropped or stopped answering, as opposed to a file
// that is not there: no proof of any change.
bool IsShareTrouble(int error);

// One line of the kernel's mount table (/proc/self/mountinfo), its fields unescaped.
struct MountEntry {
    uint64_t id = 0;
    std::string root;  // the mounted folder's place inside its file system
    std::string mountPoint;
    std::string type;
    std::string source;
};
std::optional<MountEntry> ParseMountInfoLine(std::string_view line);
// The entry of the mount with that id in the table's text.
std::optional<MountEntry> FindMount(std::string_view table, uint64_t mountId);
// The mount whose mount point is the longest leading part of an absolute path: the mount
// a path lies on when the system cannot name the mount directly.
std::optional<MountEntry> MountOfPath(std::string_view table, std::string_view path);

// The identity of a folder at `path` (absolute, links resolved) on the mount. `stableSource`
// replaces the source where a steadier name for it is known (a disk's UUID for its device
// path); `device` goes into the identity of file systems that have no lasting source (a
// tmpfs is a new file system at every mount).
std::string FolderIdentity(const MountEntry& mount, std::string_view path,
                           const std::string& stableSource, uint64_t device);

}  // namespace vfs::platform
