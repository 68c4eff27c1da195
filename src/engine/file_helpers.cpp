#include "engine/file_helpers.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <memory>

#include "engine/text_helpers.h"
#include "platform/file_system.h"
#include "platform/user_locale.h"

namespace vfs {

namespace {

constexpr std::size_t kMaxNameRemovals = 20;
constexpr std::size_t kMaxFolderComponents = 100;

bool EndsWith(const std::string& text, char c) {
    return !text.empty() && text.back() == c;
}

}  // namespace

std::string GetFolderPart(const std::string& path, PathStyle style) {
    const char sep = SeparatorOf(style);
    const std::string stops =
        style == PathStyle::Windows ? std::string{sep, ':'} : std::string{sep};
    const std::size_t at = path.find_last_of(stops);
    if (at == std::string::npos) return {};
    std::string folder = path.substr(0, at + 1);
    if (EndsWith(folder, sep)) folder.pop_back();
    if (style == PathStyle::Windows && EndsWith(folder, ':')) folder.push_back(sep);
    // A file directly in the POSIX root keeps the root, as a file in a drive root keeps
    // its drive root.
    if (style == PathStyle::Posix && folder.empty()) folder.push_back(sep);
    return folder;
}

std::string GetFileNamePart(const std::string& path, PathStyle style) {
    const char sep = SeparatorOf(style);
    std::string rest = TrimSpaces(path);
    for (std::size_t i = 0; i < kMaxNameRemovals; ++i) {
        const std::size_t at = rest.find(sep);
        if (at == std::string::npos) break;
        rest.erase(0, at + 1);
    }
    return TrimSpaces(rest);
}

std::vector<std::string> SplitFolderPath(const std::string& path, PathStyle style) {
    const char sep = SeparatorOf(style);
    std::vector<std::string> components;
    std::size_t start = 0;
    while (components.size() + 1 < kMaxFolderComponents) {
        const std::size_t at = path.find(sep, start);
        if (at == std::string::npos) break;
        components.push_back(TrimSpaces(path.substr(start, at - start)));
        start = at + 1;
    }
    components.push_back(TrimSpaces(path.substr(start)));
    return components;
}

std::vector<std::string> FolderPathPrefixes(const std::string& path, PathStyle style) {
    const std::vector<std::string> components = SplitFolderPath(path, style);
    std::vector<std::string> prefixes;
    if (components.size() < 2) return prefixes;
    std::string prefix;
    for (const std::string& component : components) {
        prefix += component;
        prefix.push_back(SeparatorOf(style));
        prefixes.push_back(prefix);
    }
    return prefixes;
}

std::string SpaceQueryPath(const std::string& path, PathStyle style) {
    const char sep = SeparatorOf(style);
    std::string query = path;
    // Purely textual: a three-letter extension marks a file, which is queried via its folder.
    if (query.size() >= 4 && query[query.size() - 4] == '.' && !EndsWith(query, sep)) {
        query = GetFolderPart(query, style);
    }
    // Network shares are queried with a trailing separator.
    if (query.size() >= 2 && query[0] == sep && query[1] == sep && !EndsWith(query, sep)) {
        query.push_back(sep);
    }
    return query;
}

bool IsAbsoluteNative(const std::string& path) {
    if (kNativeStyle == PathStyle::Windows) {
        // A drive's full path ("C:\...") or a network share ("\server\share...").
        const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                           path[1] == ':' && path[2] == kSep;
        return drive || (path.size() >= 2 && path[0] == kSep && path[1] == kSep);
    }
    return !path.empty() && path.front() == kSep;
}

std::string CollapseDoubledSeparators(std::string path) {
    const std::string doubled(2, kSep);
    // The two separators that open a network share's path are no doubling.
    const std::size_t start =
        (kNativeStyle == PathStyle::Windows && path.starts_with(doubled)) ? 1 : 0;
    for (std::size_t at = path.find(doubled, start); at != std::string::npos;
         at = path.find(doubled, at)) {
        path.erase(at, 1);
    }
    return path;
}

std::string WithTrailingSeparator(const std::string& path) {
    if (path.empty() || EndsWith(path, kSep)) return path;
    return path + kSep;
}

bool FolderExists(platform::FileSystem& fs, const std::string& path) {
    if (path.find(kSep) == std::string::npos || !IsAbsoluteNative(path)) return false;
    return fs.IsDirectory(path);
}

// '*' and '?' are ordinary characters of a file's name: a search for "Why?.mp3" would
// also find "Whyy.mp3", so such a name is looked up exactly in its folder.
bool FileExists(platform::FileSystem& fs, const std::string& path) {
    if (!IsAbsoluteNative(path)) return false;
    const std::size_t slash = path.find_last_of(kSep);
    const std::string name = path.substr(slash + 1);
    if (name.find_first_of("*?") == std::string::npos) return fs.EntryExists(path);
    const std::unique_ptr<platform::OpenFolder> folder = fs.Open(path.substr(0, slash + 1));
    return folder->IsOpen() && folder->Lookup(name) == platform::Presence::Present;
}

bool MakeFolderPath(platform::FileSystem& fs, const std::string& path) {
    if (!IsAbsoluteNative(path)) return false;
    const std::vector<std::string> prefixes = FolderPathPrefixes(path);
    if (prefixes.empty()) return false;
    for (const std::string& prefix : prefixes) {
        // A prefix that cannot be created is passed over; the final test decides.
        if (!FolderExists(fs, prefix)) fs.MakeDirectory(prefix);
    }
    return FolderExists(fs, path);
}

int64_t GetFileSizeBytes(platform::FileSystem& fs, const std::string& path) {
    if (!IsAbsoluteNative(path)) return -1;
    return fs.WritableFileSize(path);
}

bool SetFileDate(platform::FileSystem& fs, const std::string& path, const LocalDateTime& when) {
    if (!IsAbsoluteNative(path)) return false;
    LocalDateTime wholeSeconds = when;
    wholeSeconds.millisecond = 0;
    return fs.SetModifiedTime(path, wholeSeconds);
}

namespace {

std::optional<platform::DiskSpace> QuerySpace(platform::FileSystem& fs, const std::string& path) {
    const std::string query = SpaceQueryPath(path);
    if (!IsAbsoluteNative(query)) return std::nullopt;
    return fs.QueryDiskSpace(query);
}

}  // namespace

bool FreeSpaceUnknown(platform::FileSystem& fs, const std::string& path) {
    const auto space = QuerySpace(fs, path);
    return space && space->total == 0;
}

double GetFreeSpace(platform::FileSystem& fs, const std::string& path) {
    const auto space = QuerySpace(fs, path);
    return space ? static_cast<double>(space->availableToUser) : 0.0;
}

double GetTotalSpace(platform::FileSystem& fs, const std::string& path) {
    const auto space = QuerySpace(fs, path);
    return space ? static_cast<double>(space->total) : 0.0;
}

bool FolderExists(const std::string& path) {
    platform::NativeFileSystem native;
    return FolderExists(native, path);
}

bool FileExists(const std::string& path) {
    platform::NativeFileSystem native;
    return FileExists(native, path);
}

bool MakeFolderPath(const std::string& path) {
    platform::NativeFileSystem native;
    return MakeFolderPath(native, path);
}

int64_t GetFileSizeBytes(const std::string& path) {
    platform::NativeFileSystem native;
    return GetFileSizeBytes(native, path);
}

bool SetFileDate(const std::string& path, const LocalDateTime& when) {
    platform::NativeFileSystem native;
    return SetFileDate(native, path, when);
}

double GetFreeSpace(const std::string& path) {
    platform::NativeFileSystem native;
    return GetFreeSpace(native, path);
}

double GetTotalSpace(const std::string& path) {
    platform::NativeFileSystem native;
    return GetTotalSpace(native, path);
}

namespace {

constexpr std::array<const char*, 7> kUnits = {" Bytes", " KB", " MB", " GB", " TB", " PB", " XB"};

// The plain general number form: integers without decimals, anything else as short as
// it prints exactly enough.
std::string GeneralNumber(double value, char decimalSeparator) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    for (char& c : text) {
        if (c == '.') c = decimalSeparator;
    }
    return text;
}

// One decimal digit, halves rounded away from zero. The values here are at least 1.
std::string OneDecimal(double value, char decimalSeparator) {
    const double tenths = std::floor(value * 10.0 + 0.5);
    const double whole = std::floor(tenths / 10.0);
    const int digit = static_cast<int>(tenths - whole * 10.0);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f%c%d", whole, decimalSeparator, digit);
    return buffer;
}

}  // namespace

std::string FormatByteSize(double bytes, char decimalSeparator) {
    // An infinite count would never drop below 1024; it cannot come from a real volume.
    if (!std::isfinite(bytes)) return GeneralNumber(0.0, decimalSeparator) + kUnits[0];
    std::size_t divisions = 0;
    while (bytes >= 1024.0) {
        bytes /= 1024.0;
        ++divisions;
    }
    if (divisions == 0) return GeneralNumber(bytes, decimalSeparator) + kUnits[0];
    const std::string unit = divisions < kUnits.size() ? kUnits[divisions] : "";
    return OneDecimal(bytes, decimalSeparator) + unit;
}

std::string FormatByteSize(double bytes) {
    return FormatByteSize(bytes, platform::UserDecimalSeparator());
}

void btnFreeSpace_Click(Context& ctx) {
    ctx.form.lblSpace.SetCaption(
        FormatByteSize(GetFreeSpace(*ctx.ports.fileSystem, ctx.form.txtSpace.Text())));
}

void btnTotalSpace_Click(Context& ctx) {
    ctx.form.lblSpace.SetCaption(
        FormatByteSize(GetTotalSpace(*ctx.ports.fileSystem, ctx.form.txtSpace.Text())));
}

}  // namespace vfs
