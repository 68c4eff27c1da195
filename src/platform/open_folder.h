// A folder held open while its files are examined one after the other. Every look-up names
// a file relative to the open folder, so the folder's path is not walked again per file, and
// all look-ups of one scan address the folder that was listed, even when another folder is
// mounted over its path meanwhile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"
#ifndef _WIN32
#include "platform/unique_fd.h"
#endif

namespace vfs::platform {

// Whether a folder holds a regular file of a name: Unknown when the look-up itself failed (a
// share that dropped, access refused) or found something else under the name (a link, FIFO,
// device or folder), which must never be taken for "not there" nor used as a file.
enum class Presence { Present, Absent, Unknown };

struct FileInfo {
    LocalDateTime modified;  // last-modified local time, whole seconds
    int64_t size = 0;
    // The same moment as an instant (UTC seconds since the epoch): local times repeat in
    // the autumn hour, so times are compared as instants.
    int64_t modifiedSeconds = 0;
};

// What the scan asks of an open folder. The file system hands one out (see FileSystem), so
// a test can put a failing one in its place.
class OpenFolder {
  public:
    virtual ~OpenFolder() = default;

    virtual bool IsOpen() const = 0;
    // Whether the folder holds a regular file of that name (a symbolic link is not
    // followed).
    virtual Presence Lookup(const std::string& name) const = 0;
    // Time and length of a regular file of the folder; nothing for a missing file, a
    // symbolic link, a folder or a special file.
    virtual std::optional<FileInfo> Info(const std::string& name) const = 0;
    // Last-modified local time of a regular file of the folder (a symlink is not followed).
    virtual std::optional<LocalDateTime> ModifiedTime(const std::string& name) const = 0;

    bool Contains(const std::string& name) const { return Lookup(name) == Presence::Present; }
};

#ifdef _WIN32
// The folder held open by a handle (so it cannot be removed or renamed meanwhile); look-ups
// name the file inside it and never follow a reparse point.
class Win32OpenFolder final : public OpenFolder {
  public:
    explicit Win32OpenFolder(const std::string& path);
    ~Win32OpenFolder() override;
    Win32OpenFolder(const Win32OpenFolder&) = delete;
    Win32OpenFolder& operator=(const Win32OpenFolder&) = delete;

    bool IsOpen() const override { return handle_ != nullptr; }
    Presence Lookup(const std::string& name) const override;
    std::optional<FileInfo> Info(const std::string& name) const override;
    std::optional<LocalDateTime> ModifiedTime(const std::string& name) const override;

  private:
    std::string path_;
    void* handle_ = nullptr;
};
using NativeOpenFolder = Win32OpenFolder;
#else
// The folder opened as a directory descriptor; look-ups go through fstatat.
class PosixOpenFolder final : public OpenFolder {
  public:
    explicit PosixOpenFolder(const std::string& path);

    bool IsOpen() const override { return fd_.IsOpen(); }
    Presence Lookup(const std::string& name) const override;
    std::optional<FileInfo> Info(const std::string& name) const override;
    std::optional<LocalDateTime> ModifiedTime(const std::string& name) const override;

  private:
    UniqueFd fd_;
};
using NativeOpenFolder = PosixOpenFolder;
#endif

}  // namespace vfs::platform
