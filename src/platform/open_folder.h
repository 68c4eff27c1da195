// A folder held open while its files are examined one after the other. Every look-up names
// a file relative to the open folder, so the folder's path is not walked again per file, and
// all look-ups of one scan address the folder that was listed, even when another folder is
// mounted over its path meanwhile.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace vfs::platform {

// Whether a folder holds an entry: Unknown when the look-up itself failed (a share that
// dropped, access refused), which must never be taken for "not there".
enum class Presence { Present, Absent, Unknown };

struct FileInfo {
    LocalDateTime modified;  // last-modified local time, whole seconds
    int64_t size = 0;
};

class OpenFolder {
  public:
    explicit OpenFolder(const std::string& path);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // Whether the folder holds an entry of that name, of any kind (as a find-first-file
    // search on the plain name would).
    Presence Lookup(const std::string& name) const;
    bool Contains(const std::string& name) const { return Lookup(name) == Presence::Present; }
    // Time and length of a regular file of the folder (a symlink is followed); nothing for
    // a missing file, a folder or a special file.
    std::optional<FileInfo> Info(const std::string& name) const;
    // Last-modified local time of an entry of the folder (a symlink is followed).
    std::optional<LocalDateTime> ModifiedTime(const std::string& name) const;

  private:
    int fd_ = -1;
};

}  // namespace vfs::platform
