// A file system for tests that works on the real disk but fails chosen calls on chosen
// paths, so a test can show what the program does when the disk refuses something (a file
// that vanished, a look-up a dropped share cannot answer) without dropping privileges or
// changing files behind the program's back.
#pragma once

#include <cerrno>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>

#include "platform/file_system.h"

namespace vfs::test {

// The calls a fault can be put on. The calls of an open folder (Lookup, Info and, for
// ModifiedTime, the folder's own form as well) are matched on folder + name.
enum class FsCall {
    IsDirectory,
    EntryExists,
    MakeDirectory,
    RemoveEmptyDirectory,
    RemoveFile,
    RenameNoReplace,
    MoveIntoPlace,
    WritableFileSize,
    ModifiedTime,
    SetModifiedTime,
    SetModifiedInstant,
    QueryDiskSpace,
    ListFolder,
    ListAllEntries,
    Open,
    Lookup,
    Info,
    CopyFileChunked,
    FlushFileToDisk,
    Examine,
    FileSystemId,
    DescribeFolder,
};

class FaultyFileSystem final : public platform::FileSystem {
  public:
    // The call fails on that exact path (for a call with two paths: on either of them) and
    // answers its failure value; the disk is not touched. Folders are named without a
    // trailing separator.
    void Fail(FsCall call, const std::string& path);
    // The call fails on every path directly inside the folder (for names the program makes
    // up itself, such as a copy's temporary name).
    void FailInFolder(FsCall call, const std::string& folder);
    bool Fails(FsCall call, const std::string& path) const;
    // A failure sets errno to this error (the system's answer for a share that dropped, by
    // default).
    void FailWithError(int error) { error_ = error; }
    // The folder's file system is described as given instead of as the disk's.
    void DescribeAs(const std::string& folder, const platform::FolderTraits& traits);
    // Look-ups of names in the folder find a file whose name differs only in case, as on a
    // file system that folds case, and the folder is described as one.
    void FoldCaseIn(const std::string& folder);
    // The name of the folder's entry that a look-up of `name` finds there.
    std::string Spelled(const std::string& folder, const std::string& name) const;

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
    std::optional<platform::DiskSpace> QueryDiskSpace(const std::string& path) override;
    std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                       const std::string& patterns) override;
    std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder) override;
    std::unique_ptr<platform::OpenFolder> Open(const std::string& folder) override;
    platform::CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                                         const platform::CopyProgress& progress,
                                         const int32_t* cancelFlag) override;
    std::optional<platform::EntryState> Examine(const std::string& path) override;
    std::optional<uint64_t> FileSystemId(const std::string& folder) override;
    std::optional<platform::FolderTraits> DescribeFolder(const std::string& folder) override;
    bool FlushFileToDisk(const std::string& path) override;

  private:
    platform::NativeFileSystem disk_;
    std::set<std::pair<FsCall, std::string>> faults_;
    std::map<std::string, platform::FolderTraits> traits_;
    std::set<std::string> folding_;
    int error_ = EIO;
};

}  // namespace vfs::test
