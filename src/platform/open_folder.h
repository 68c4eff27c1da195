// A folder held open while its files are examined one after the other. Every look-up names
// a file relative to the open folder, so the folder's path is not walked again per file, and
// all look-ups of one scan address the folder that was listed, even when another folder is
// mounted over its path meanwhile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/name_table.h"
#ifndef _WIN32
#include "platform/unique_fd.h"
#endif

namespace vfs::platform {

// Whether a folder holds a regular file of a name: Unknown when the look-up itself failed (a
// share that dropped, access refused) or found something else under the name (a link, FIFO,
// device or folder), which must never be taken for "not there" nor used as a file.
enum class Presence { Present, Absent, Unknown };

struct FileInfo {
    int64_t size = 0;
    // The last-modified time as an instant (UTC seconds since the epoch): local times repeat
    // in the autumn hour, so times are compared as instants, and turned into local time only
    // where one is shown.
    int64_t modifiedSeconds = 0;
    // The rest of what the look-up found, so the file need not be looked up again to be
    // recognised later.
    int64_t modifiedNanoseconds = 0;
    int64_t changedSeconds = 0;  // the inode's change time
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

    // Lets go of what a listing through the folder kept for its look-ups, once no more
    // look-ups by listed name follow; a later look-up asks the disk again.
    virtual void ForgetListing() {}
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
// What one listing found under every name of a folder (hidden ones too), so that a look-up
// of a name it saw, or did not see, need not ask the disk again.
class SeenEntries {
  public:
    enum class Kind : uint8_t {
        Regular,  // a regular file
        Other,    // a link, folder, FIFO, device or socket
        Unsure,   // the listing could not tell; the disk has to be asked
    };

    void Add(std::string_view name, Kind kind);
    // Called once every name has been added; Find answers only after it. One pass, no
    // sort: a folder of many thousand names is indexed in time proportional to their number.
    void Seal();
    // Nothing for a name the listing did not see.
    std::optional<Kind> Find(std::string_view name) const;

  private:
    NameTable names_;
    std::vector<Kind> kinds_;  // one per name, in the order added
    // A name that did not fit: a name not found may still be there, so the disk is asked.
    bool incomplete_ = false;
};

// The folder opened as a directory descriptor; look-ups go through fstatat.
class PosixOpenFolder final : public OpenFolder {
  public:
    explicit PosixOpenFolder(const std::string& path);

    bool IsOpen() const override { return fd_.IsOpen(); }
    // Once the folder has been listed through List, a look-up answers what the listing found
    // (a name it did not see is absent); before, it asks the disk.
    Presence Lookup(const std::string& name) const override;
    std::optional<FileInfo> Info(const std::string& name) const override;
    std::optional<LocalDateTime> ModifiedTime(const std::string& name) const override;

    // The folder's listing as ListFolder gives it, read through the descriptor held, so the
    // names are those of this very folder; what it saw is kept for Lookup.
    std::optional<std::vector<std::string> > List(const std::string& patterns);
    void ForgetListing() override { seen_.reset(); }

  private:
    UniqueFd fd_;
    std::optional<SeenEntries> seen_;
};
using NativeOpenFolder = PosixOpenFolder;
#endif

}  // namespace vfs::platform
