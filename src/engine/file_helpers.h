// File records and the small file-system helpers every engine routine calls. None of them
// raises an error: each answers a neutral value (false, 0, -1, empty text) on failure.
//
// The pure path helpers take a path style. Windows style uses '\' and knows drive colons
// ("C:\", "C:x"); POSIX style applies the same rules with '/' and no drive colon, and is
// what the program uses on Linux.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/context.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace vfs {

enum class PathStyle { Windows, Posix };
inline constexpr PathStyle kNativeStyle =
    platform::kSeparator == '\\' ? PathStyle::Windows : PathStyle::Posix;
inline constexpr char kSep = platform::kSeparator;  // the native separator

constexpr char SeparatorOf(PathStyle style) {
    return style == PathStyle::Windows ? '\\' : '/';
}

// One listed file.
struct FileEntry {
    std::string FileName;  // name only; empty marks an entry that could not be read
    int64_t fileTime = 0;  // last modified, UTC seconds since the epoch
    int64_t fileSize = 0;  // 64-bit, so files of 2 GB and more are carried exactly
    bool onOtherSide = false;
    // What the scan's look-up found besides, kept for the task's view of the file.
    int64_t fileTimeNanoseconds = 0;
    int64_t changedSeconds = 0;
};

// Path helpers.
// GetFolderPart of a file directly in the POSIX root answers "/", as a file in a drive root
// answers the drive root.
std::string GetFolderPart(const std::string& path, PathStyle style = kNativeStyle);
std::string GetFileNamePart(const std::string& path, PathStyle style = kNativeStyle);
// The components a folder path is split into (trimmed, at most 100, the last keeps the rest).
std::vector<std::string> SplitFolderPath(const std::string& path, PathStyle style = kNativeStyle);
// The prefixes MakeFolderPath creates, top down, each with a trailing separator.
std::vector<std::string> FolderPathPrefixes(const std::string& path,
                                            PathStyle style = kNativeStyle);
// The text the disk helpers query: a text that looks like a file path ('.' four characters
// from the end, no trailing separator) becomes its folder part; a network path gets a
// trailing separator.
std::string SpaceQueryPath(const std::string& path, PathStyle style = kNativeStyle);
// Appends the separator when the text does not end with one (empty stays empty).
std::string WithTrailingSeparator(const std::string& path);
// True for a native path that starts at the root: the disk helpers answer their failure
// value for any other, rather than resolve it against the current directory.
bool IsAbsoluteNative(const std::string& path);
// Every run of doubled native separators reduced to one ("/a//b" -> "/a/b").
std::string CollapseDoubledSeparators(std::string path);

// Disk and file helpers (native paths). A relative path answers the failure value; it is
// never resolved against the current directory. Each asks the file system it is given; the
// forms without one ask the operating system's own (the program's settings, state files
// and logs are always there).
bool FolderExists(platform::FileSystem& fs, const std::string& path);
bool FileExists(platform::FileSystem& fs, const std::string& path);
bool MakeFolderPath(platform::FileSystem& fs, const std::string& path);
int64_t GetFileSizeBytes(platform::FileSystem& fs, const std::string& path);
bool SetFileDate(platform::FileSystem& fs, const std::string& path, const LocalDateTime& when);
// A file system that reports no size at all (many FUSE drivers, some shares) tells nothing
// of its free space: that is not "no space".
bool FreeSpaceUnknown(platform::FileSystem& fs, const std::string& path);
double GetFreeSpace(platform::FileSystem& fs, const std::string& path);
double GetTotalSpace(platform::FileSystem& fs, const std::string& path);

bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
bool MakeFolderPath(const std::string& path);
int64_t GetFileSizeBytes(const std::string& path);
bool SetFileDate(const std::string& path, const LocalDateTime& when);
double GetFreeSpace(const std::string& path);
double GetTotalSpace(const std::string& path);

// Byte count as text: "1023 Bytes", "1.5 KB", "1024.0 KB", with the given decimal separator.
std::string FormatByteSize(double bytes, char decimalSeparator);
// Same, with the user's decimal separator.
std::string FormatByteSize(double bytes);

// Settings-page buttons.
void btnFreeSpace_Click(Context& ctx);
void btnTotalSpace_Click(Context& ctx);

}  // namespace vfs
