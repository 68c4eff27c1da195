#include "support/faulty_file_system.h"

#include <cerrno>

#include "platform/name_patterns.h"

namespace vfs::test {

namespace {

// Paths are compared without a trailing separator, so "/a/b/" and "/a/b" name one folder.
std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// An open folder whose look-ups fail for the names the file system was told to fail.
class FaultyOpenFolder final : public platform::OpenFolder {
  public:
    FaultyOpenFolder(const FaultyFileSystem& faults, std::unique_ptr<platform::OpenFolder> real,
                     const std::string& folder)
        : faults_(faults), real_(std::move(real)), folder_(WithoutTrailingSeparator(folder)) {}

    bool IsOpen() const override { return real_->IsOpen(); }
    platform::Presence Lookup(const std::string& name) const override {
        if (Fails(FsCall::Lookup, name)) return platform::Presence::Unknown;
        return real_->Lookup(faults_.Spelled(folder_, name));
    }
    std::optional<platform::FileInfo> Info(const std::string& name) const override {
        if (Fails(FsCall::Info, name)) return std::nullopt;
        return real_->Info(faults_.Spelled(folder_, name));
    }
    std::optional<LocalDateTime> ModifiedTime(const std::string& name) const override {
        if (Fails(FsCall::ModifiedTime, name)) return std::nullopt;
        return real_->ModifiedTime(faults_.Spelled(folder_, name));
    }
    void ForgetListing() override { real_->ForgetListing(); }

  private:
    bool Fails(FsCall call, const std::string& name) const {
        return faults_.Fails(call, folder_ + "/" + name);
    }

    const FaultyFileSystem& faults_;
    std::unique_ptr<platform::OpenFolder> real_;
    std::string folder_;
};

}  // namespace

void FaultyFileSystem::Fail(FsCall call, const std::string& path) {
    faults_.emplace(call, WithoutTrailingSeparator(path));
}

void FaultyFileSystem::FailInFolder(FsCall call, const std::string& folder) {
    faults_.emplace(call, WithoutTrailingSeparator(folder) + "/*");
}

bool FaultyFileSystem::Fails(FsCall call, const std::string& path) const {
    const std::string exact = WithoutTrailingSeparator(path);
    const std::size_t slash = exact.find_last_of('/');
    const std::string anyInFolder =
        slash == std::string::npos ? std::string() : exact.substr(0, slash) + "/*";
    const bool fails = faults_.count({call, exact}) > 0 || faults_.count({call, anyInFolder}) > 0;
    if (fails) errno = error_;
    return fails;
}

void FaultyFileSystem::DescribeAs(const std::string& folder, const platform::FolderTraits& traits) {
    traits_[WithoutTrailingSeparator(folder)] = traits;
}

void FaultyFileSystem::FoldCaseIn(const std::string& folder) {
    folding_.insert(WithoutTrailingSeparator(folder));
}

std::string FaultyFileSystem::Spelled(const std::string& folder, const std::string& name) const {
    if (folding_.count(WithoutTrailingSeparator(folder)) == 0) return name;
    const auto entries = platform::ListAllEntries(folder);
    if (!entries) return name;
    for (const std::string& entry : *entries) {
        if (entry == name) return name;
    }
    for (const std::string& entry : *entries) {
        if (platform::SameFolded(entry, name)) return entry;
    }
    return name;
}

std::optional<platform::FolderTraits> FaultyFileSystem::DescribeFolder(const std::string& folder) {
    if (Fails(FsCall::DescribeFolder, folder)) return std::nullopt;
    const auto given = traits_.find(WithoutTrailingSeparator(folder));
    if (given != traits_.end()) return given->second;
    std::optional<platform::FolderTraits> traits = disk_.DescribeFolder(folder);
    if (traits && folding_.count(WithoutTrailingSeparator(folder)) > 0) traits->foldsCase = true;
    return traits;
}

bool FaultyFileSystem::IsDirectory(const std::string& path) {
    return !Fails(FsCall::IsDirectory, path) && disk_.IsDirectory(path);
}

bool FaultyFileSystem::EntryExists(const std::string& path) {
    return !Fails(FsCall::EntryExists, path) && disk_.EntryExists(path);
}

bool FaultyFileSystem::MakeDirectory(const std::string& path) {
    return !Fails(FsCall::MakeDirectory, path) && disk_.MakeDirectory(path);
}

bool FaultyFileSystem::RemoveEmptyDirectory(const std::string& path) {
    return !Fails(FsCall::RemoveEmptyDirectory, path) && disk_.RemoveEmptyDirectory(path);
}

bool FaultyFileSystem::RemoveFile(const std::string& path) {
    return !Fails(FsCall::RemoveFile, path) && disk_.RemoveFile(path);
}

bool FaultyFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
    if (Fails(FsCall::RenameNoReplace, from) || Fails(FsCall::RenameNoReplace, to)) return false;
    return disk_.RenameNoReplace(from, to);
}

bool FaultyFileSystem::MoveIntoPlace(const std::string& from, const std::string& to,
                                     bool replaceExisting) {
    if (Fails(FsCall::MoveIntoPlace, from) || Fails(FsCall::MoveIntoPlace, to)) return false;
    return disk_.MoveIntoPlace(from, to, replaceExisting);
}

int64_t FaultyFileSystem::WritableFileSize(const std::string& path) {
    return Fails(FsCall::WritableFileSize, path) ? -1 : disk_.WritableFileSize(path);
}

std::optional<LocalDateTime> FaultyFileSystem::ModifiedTime(const std::string& path) {
    if (Fails(FsCall::ModifiedTime, path)) return std::nullopt;
    return disk_.ModifiedTime(path);
}

bool FaultyFileSystem::SetModifiedTime(const std::string& path, const LocalDateTime& when) {
    return !Fails(FsCall::SetModifiedTime, path) && disk_.SetModifiedTime(path, when);
}

bool FaultyFileSystem::SetModifiedInstant(const std::string& path, int64_t seconds,
                                          int64_t nanoseconds) {
    return !Fails(FsCall::SetModifiedInstant, path) &&
           disk_.SetModifiedInstant(path, seconds, nanoseconds);
}

std::optional<platform::DiskSpace> FaultyFileSystem::QueryDiskSpace(const std::string& path) {
    if (Fails(FsCall::QueryDiskSpace, path)) return std::nullopt;
    return disk_.QueryDiskSpace(path);
}

std::optional<std::vector<std::string>> FaultyFileSystem::ListFolder(const std::string& folder,
                                                                     const std::string& patterns) {
    if (Fails(FsCall::ListFolder, folder)) return std::nullopt;
    return disk_.ListFolder(folder, patterns);
}

std::optional<std::vector<std::string>> FaultyFileSystem::ListAllEntries(
    const std::string& folder) {
    if (Fails(FsCall::ListAllEntries, folder)) return std::nullopt;
    return disk_.ListAllEntries(folder);
}

std::unique_ptr<platform::OpenFolder> FaultyFileSystem::Open(const std::string& folder) {
    // A folder that cannot be opened is the real kind: a descriptor that is not open.
    auto real = disk_.Open(Fails(FsCall::Open, folder) ? std::string() : folder);
    return std::make_unique<FaultyOpenFolder>(*this, std::move(real), folder);
}

platform::CopyResult FaultyFileSystem::CopyFileChunked(const std::string& source,
                                                       const std::string& destination,
                                                       const platform::CopyProgress& progress,
                                                       const int32_t* cancelFlag) {
    if (Fails(FsCall::CopyFileChunked, source) || Fails(FsCall::CopyFileChunked, destination)) {
        return platform::CopyResult{false, false, EIO, -1, 0, 0};
    }
    return disk_.CopyFileChunked(source, destination, progress, cancelFlag);
}

std::optional<platform::EntryState> FaultyFileSystem::Examine(const std::string& path) {
    if (Fails(FsCall::Examine, path)) return std::nullopt;
    return disk_.Examine(path);
}

std::optional<uint64_t> FaultyFileSystem::FileSystemId(const std::string& folder) {
    if (Fails(FsCall::FileSystemId, folder)) return std::nullopt;
    return disk_.FileSystemId(folder);
}

bool FaultyFileSystem::FlushFileToDisk(const std::string& path) {
    return !Fails(FsCall::FlushFileToDisk, path) && disk_.FlushFileToDisk(path);
}

}  // namespace vfs::test
