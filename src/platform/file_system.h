// File services of the operating system, as the engine needs them. Every call answers a
// neutral value on failure (false, -1, nothing); none throws.
//
// A file whose mode has no write bit stands for a read-only file: it cannot be opened for
// writing, deleted or overwritten through these services, also when running as root.
//
// The scan, the tasks, the backups and the copy reach the disk only through the FileSystem
// interface below, handed to them with the ports: tests put a file system in its place that
// fails chosen calls on chosen paths. The free functions are the POSIX implementation; the
// program's own files (settings, state files, logs) use them directly.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/copy_file.h"
#include "platform/folder_traits.h"
#include "platform/name_patterns.h"
#include "platform/open_folder.h"

namespace vfs::platform {

#ifdef _WIN32
inline constexpr char kSeparator = '\\';
#else
inline constexpr char kSeparator = '/';
#endif

// What one look-up that does not follow a symbolic link finds under a path.
struct EntryState {
    bool exists = false;
    bool regular = false;  // a regular file (not a link, folder, FIFO or device)
    int64_t size = 0;
    int64_t modifiedSeconds = 0;  // UTC seconds since the epoch
    int64_t modifiedNanoseconds = 0;
    int64_t changedSeconds = 0;  // the inode's change time, which no program can set back
};

// A folder's listing with the folder held open for the look-ups that follow it.
struct ListedFolder {
    std::optional<std::vector<std::string>> names;  // nothing when the listing failed
    std::unique_ptr<OpenFolder> folder;             // never null
};

struct DiskSpace {
    uint64_t availableToUser = 0;
    uint64_t total = 0;
};

// The file services the sync itself needs, one method per service; each answers what the
// free function of the same name answers.
class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual bool IsDirectory(const std::string& path) = 0;
    virtual bool EntryExists(const std::string& path) = 0;
    virtual bool MakeDirectory(const std::string& path) = 0;
    virtual bool RemoveEmptyDirectory(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool RenameNoReplace(const std::string& from, const std::string& to) = 0;
    virtual bool MoveIntoPlace(const std::string& from, const std::string& to,
                               bool replaceExisting) = 0;
    virtual int64_t WritableFileSize(const std::string& path) = 0;
    virtual std::optional<LocalDateTime> ModifiedTime(const std::string& path) = 0;
    virtual bool SetModifiedTime(const std::string& path, const LocalDateTime& when) = 0;
    virtual bool SetModifiedInstant(const std::string& path, int64_t seconds,
                                    int64_t nanoseconds) = 0;
    virtual std::optional<DiskSpace> QueryDiskSpace(const std::string& path) = 0;
    virtual std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                               const std::string& patterns) = 0;
    virtual std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder) = 0;
    // Never null; IsOpen() of the answer tells whether the folder could be opened.
    virtual std::unique_ptr<OpenFolder> Open(const std::string& folder) = 0;
    // ListFolder, then Open. A file system may list through the open folder instead and let
    // its look-ups answer from what the listing saw.
    virtual ListedFolder ListAndOpen(const std::string& folder, const std::string& patterns) {
        ListedFolder listed;
        listed.names = ListFolder(folder, patterns);
        listed.folder = Open(folder);
        return listed;
    }
    virtual CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                                       const CopyProgress& progress, const int32_t* cancelFlag) = 0;
    // Nothing when the look-up itself failed (a share that dropped, access refused); a
    // missing entry is an answer with exists false.
    virtual std::optional<EntryState> Examine(const std::string& path) = 0;
    // The id of the file system and mount a folder lies on; nothing when the folder cannot
    // be reached.
    virtual std::optional<uint64_t> FileSystemId(const std::string& folder) = 0;
    // What the sync needs to know of the folder's file system; nothing when the folder
    // cannot be reached.
    virtual std::optional<FolderTraits> DescribeFolder(const std::string& folder) = 0;
    virtual bool FlushFileToDisk(const std::string& path) = 0;
};

// The operating system's own files, through the free functions below (a POSIX and a Win32
// implementation, one built per system).
class NativeFileSystem final : public FileSystem {
  public:
    bool IsDirectory(const std::string& path) override;
    bool EntryExists(const std::string& path) override;
    bool MakeDirectory(const std::string& path) override;
    bool RemoveEmptyDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool RenameNoReplace(const std::string& from, const std::string& to) override;
    bool MoveIntoPlace(const std::string& from, const std::string& to,
                       bool replaceExisting) override;
    int64_t WritableFileSize(const std::string& path) override;
    std::optional<LocalDateTime> ModifiedTime(const std::string& path) override;
    bool SetModifiedTime(const std::string& path, const LocalDateTime& when) override;
    bool SetModifiedInstant(const std::string& path, int64_t seconds, int64_t nanoseconds) override;
    std::optional<DiskSpace> QueryDiskSpace(const std::string& path) override;
    std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                       const std::string& patterns) override;
    std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder) override;
    std::unique_ptr<OpenFolder> Open(const std::string& folder) override;
    ListedFolder ListAndOpen(const std::string& folder, const std::string& patterns) override;
    CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                               const CopyProgress& progress, const int32_t* cancelFlag) override;
    std::optional<EntryState> Examine(const std::string& path) override;
    std::optional<uint64_t> FileSystemId(const std::string& folder) override;
    std::optional<FolderTraits> DescribeFolder(const std::string& folder) override;
    bool FlushFileToDisk(const std::string& path) override;
};

// True when the path names a directory (symlinks to directories count).
bool IsDirectory(const std::string& path);

// True when a find-first-file search on the text finds an entry: an existing file, folder
// or other entry; '*' and '?' in the last component are matched against that folder.
bool EntryExists(const std::string& path);

bool MakeDirectory(const std::string& path);
bool RemoveEmptyDirectory(const std::string& path);
// Deletes a file; refuses folders and read-only files.
bool RemoveFile(const std::string& path);
// Renames; refuses when the target exists.
bool RenameNoReplace(const std::string& from, const std::string& to);

bool IsReadOnly(const std::string& path);
// Size of a file that can be opened for writing (it is not modified); -1 otherwise.
int64_t WritableFileSize(const std::string& path);
// What lstat finds under the path; nothing when the look-up failed for another reason than
// a missing entry.
std::optional<EntryState> Examine(const std::string& path);
// A number for the file system and mount a folder lies on (a link to a folder is followed:
// the configured path may be one). It changes when anything is mounted over the folder or
// the folder's mount goes away, so a task can tell its folder is no longer the one scanned;
// it is not kept from one run to the next (see DescribeFolder).
std::optional<uint64_t> FileSystemId(const std::string& folder);
// Size of any regular file; -1 when it cannot be read.
int64_t FileSize(const std::string& path);

// Last-modified time in local time, whole seconds.
std::optional<LocalDateTime> ModifiedTime(const std::string& path);
// Writes only the last-modified time; fails for missing or read-only files and for
// values that are not a valid date.
bool SetModifiedTime(const std::string& path, const LocalDateTime& when);
// The same for an instant (UTC seconds and nanoseconds), as a copy's source has it; the
// access time is left as it is.
bool SetModifiedInstant(const std::string& path, int64_t seconds, int64_t nanoseconds);

std::optional<DiskSpace> QueryDiskSpace(const std::string& path);

std::optional<std::string> ReadWholeFile(const std::string& path);
// Writes a whole file through a temporary file in the same folder, flushed to disk and
// renamed over the target, so the target holds the old content or the new, never half.
// Refuses to replace a read-only target.
bool WriteFileAtomic(const std::string& path, const std::string& content);

// The same for a text made piece by piece: it passes through a modest buffer into the
// temporary file, so a large text never has to be held whole in memory. Nothing reaches the
// target before Commit; a writer dropped without it removes its temporary file. After a
// failure errno tells why (also when Commit is what reports it).
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(const std::string& path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything failed, from the opening of the temporary file on.
    bool Write(std::string_view text);
    // Writes out the buffer, flushes the file to disk and renames it over the target.
    bool Commit();

  private:
    // Large enough that a state file of many thousand names takes few writes.
    static constexpr std::size_t kBufferSize = 64 * 1024;

    bool Flush();
    bool Fail();
    // Writes straight into the temporary file (each system its own way).
    bool WriteOut(std::string_view data);

    struct Temporary;  // the open temporary file, as the system holds it
    std::unique_ptr<Temporary> temporary_;
    std::string path_;
    std::string buffer_;
    bool failed_ = false;
    int error_ = 0;
};

// Appends to a file, creating it when missing.
bool AppendToFile(const std::string& path, const std::string& content);

// The regular files of one folder (not recursive) whose names match any of the
// ';'-separated patterns, case-insensitively; hidden names (leading '.'), folders, symlinks
// and special files are left out. Sorted ascending without regard to case. Nothing when
// the folder cannot be read.
std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                   const std::string& patterns);

#ifndef _WIN32
// ListFolder of a folder already open; the descriptor is closed at the end. When `seen` is
// given, it receives the name and kind of every entry read, hidden ones too (not sealed).
std::optional<std::vector<std::string>> ListOpenFolder(UniqueFd folder, const std::string& patterns,
                                                       SeenEntries* seen);

// The device number of a folder (as stat gives it, a link to the folder followed) and the
// id of the mount it lies on, where the system tells it; nothing for what is no folder.
struct FolderMount {
    uint64_t device = 0;
    std::optional<uint64_t> mountId;
};
std::optional<FolderMount> StatFolderMount(const std::string& folder);

// The mode a new file of the program's gets: 0666 under the process's file-creation mask.
unsigned OrdinaryFileMode();
#endif

// Names of every entry of a folder (files and folders, hidden ones too), unsorted.
std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder);

// Folder holding the running executable.
std::string ExecutableFolder();

}  // namespace vfs::platform
