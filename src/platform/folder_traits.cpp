#include "platform/folder_traits.h"

#include <array>
#include <cerrno>
#include <charconv>
#include <vector>

#include "platform/name_patterns.h"

namespace vfs::platform {

namespace {

// Shares of Windows machines and NAS boxes, and the Windows disk formats (FAT, exFAT, NTFS),
// through the kernel or through FUSE. "fuseblk" is how the FUSE drivers of those disk
// formats mount.
constexpr std::array<std::string_view, 14> kWindowsTypes = {
    "cifs",       "smb3",    "smbfs", "fuse.smbnetfs", "vfat",         "msdos",     "exfat",
    "fuse.exfat", "fuseblk", "ntfs",  "ntfs3",         "fuse.ntfs-3g", "fuse.ntfs", "fuse.fusesmb"};

// File systems whose device number is handed out anew at every mount.
constexpr std::array<std::string_view, 11> kNetworkTypes = {
    "cifs", "smb3", "smbfs", "nfs", "nfs4", "9p", "ceph", "afs", "glusterfs", "virtiofs", "davfs"};

bool IsWindowsType(std::string_view type) {
    for (std::string_view t : kWindowsTypes) {
        if (type == t) return true;
    }
    return false;
}

// The kernel writes a blank, a tab, a line break and a backslash in a field as an octal
// escape ("\040").
std::string Unescape(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            int value = 0;
            const auto [end, error] =
                std::from_chars(digits.data(), digits.data() + digits.size(), value, 8);
            if (error == std::errc() && end == digits.data() + digits.size()) {
                out.push_back(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        out.push_back(field[i]);
    }
    return out;
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (start < line.size()) {
        const std::size_t end = line.find(' ', start);
        const std::size_t stop = end == std::string_view::npos ? line.size() : end;
        if (stop > start) fields.push_back(line.substr(start, stop - start));
        start = stop + 1;
    }
    return fields;
}

template <typename Each>
void ForEachLine(std::string_view text, Each&& each) {
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        const std::size_t stop = end == std::string_view::npos ? text.size() : end;
        if (each(text.substr(start, stop - start))) return;
        start = stop + 1;
    }
}

// Whether the mount point holds the path: the path itself or a folder below it.
bool Holds(std::string_view mountPoint, std::string_view path) {
    if (!path.starts_with(mountPoint)) return false;
    return mountPoint == "/" || path.size() == mountPoint.size() || path[mountPoint.size()] == '/';
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

}  // namespace

bool TypeRestrictsNames(std::string_view type) {
    return IsWindowsType(type);
}

bool TypeFoldsCase(std::string_view type) {
    return IsWindowsType(type);
}

bool TypeKeepsPermissions(std::string_view type) {
    return !IsWindowsType(type);
}

bool TypeChangesDeviceOnMount(std::string_view type) {
    if (type == "fuse" || type.starts_with("fuse.")) return true;
    for (std::string_view t : kNetworkTypes) {
        if (type == t) return true;
    }
    return false;
}

std::optional<std::string> WindowsNameProblem(std::string_view name) {
    for (char c : name) {
        if (std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos) {
            return std::string("it holds the character '") + c + "'";
        }
        if (static_cast<unsigned char>(c) < 0x20) return "it holds a control character";
    }
    if (name.ends_with('.')) return "it ends with a dot";
    if (name.ends_with(' ')) return "it ends with a blank";
    // A device name stays reserved with any extension ("CON.kvo", "nul.txt").
    const std::string_view stem = name.substr(0, name.find('.'));
    static constexpr std::array<std::string_view, 4> kDevices = {"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kDevices) {
        if (SameFolded(stem, device)) {
            return std::string(stem) + " is a reserved device name";
        }
    }
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9' &&
        (SameFolded(stem.substr(0, 3), "COM") || SameFolded(stem.substr(0, 3), "LPT"))) {
        return std::string(stem) + " is a reserved device name";
    }
    return std::nullopt;
}

bool IsShareTrouble(int error) {
    switch (error) {
        case EIO:
        case ENOTCONN:
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case ECONNABORTED:
        case ECONNRESET:
        case ENETDOWN:
        case ENETUNREACH:
#ifdef ESTALE
        case ESTALE:
#endif
#ifdef EHOSTDOWN
        case EHOSTDOWN:
#endif
            return true;
        default:
            return false;
    }
}

std::optional<MountEntry> ParseMountInfoLine(std::string_view line) {
    const std::vector<std::string_view> fields = Fields(line);
    // id, parent, device, root, mount point, options, optional fields, "-", type, source.
    std::size_t dash = 6;
    while (dash < fields.size() && fields[dash] != "-")
        ++dash;
    if (fields.size() < 7 || dash + 1 >= fields.size()) return std::nullopt;
    MountEntry entry;
    const std::string_view id = fields[0];
    const auto [end, error] = std::from_chars(id.data(), id.data() + id.size(), entry.id);
    if (error != std::errc() || end != id.data() + id.size()) return std::nullopt;
    entry.root = Unescape(fields[3]);
    entry.mountPoint = Unescape(fields[4]);
    entry.type = Unescape(fields[dash + 1]);
    entry.source = dash + 2 < fields.size() ? Unescape(fields[dash + 2]) : std::string();
    return entry;
}

std::optional<MountEntry> FindMount(std::string_view table, uint64_t mountId) {
    std::optional<MountEntry> found;
    ForEachLine(table, [&](std::string_view line) {
        std::optional<MountEntry> entry = ParseMountInfoLine(line);
        if (!entry || entry->id != mountId) return false;
        found = std::move(entry);
        return true;
    });
    return found;
}

std::optional<MountEntry> MountOfPath(std::string_view table, std::string_view path) {
    // Of mounts stacked on one point the last listed is the one on top.
    std::optional<MountEntry> found;
    ForEachLine(table, [&](std::string_view line) {
        std::optional<MountEntry> entry = ParseMountInfoLine(line);
        if (entry && Holds(entry->mountPoint, path) &&
            (!found || entry->mountPoint.size() >= found->mountPoint.size())) {
            found = std::move(entry);
        }
        return false;
    });
    return found;
}

std::string FolderIdentity(const MountEntry& mount, std::string_view path,
                           const std::string& stableSource, uint64_t device) {
    std::string below;
    if (Holds(mount.mountPoint, path)) {
        below = std::string(path.substr(mount.mountPoint == "/" ? 0 : mount.mountPoint.size()));
    }
    const std::string place = WithoutTrailingSlash(mount.root == "/" ? (below.empty() ? "/" : below)
                                                                     : mount.root + below);
    std::string identity = mount.type + "|" + (stableSource.empty() ? mount.source : stableSource);
    // A file system without a lasting source (a tmpfs, an overlay) is a new one at every
    // mount; only its device number tells one from the next.
    if (!TypeChangesDeviceOnMount(mount.type) && !mount.source.starts_with("/dev/")) {
        identity += "|dev=" + std::to_string(device);
    }
    return identity + "|" + place;
}

}  // namespace vfs::platform
