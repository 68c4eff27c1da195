#include "platform/file_system.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// The folder part of a path with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string WithSeparator(std::string folder) {
    if (!folder.empty() && !IsSeparator(folder.back())) folder.push_back('\\');
    return folder;
}

// A short random suffix for the program's temporaries; the file is created exclusively
// anyway, so a clash only costs another try.
std::string UniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    const unsigned long long seed = (static_cast<unsigned long long>(GetCurrentProcessId()) << 20) ^
                                    GetTickCount64() ^ (counter.fetch_add(1) * 2654435761u);
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    unsigned long long value = seed;
    for (int i = 0; i < 6; ++i) {
        suffix.push_back(kDigits[value % 36]);
        value /= 36;
    }
    return suffix;
}

// Each listed entry, with the search's own failure told from its end.
template <typename Visit>
bool ForEachEntry(const std::string& folder, Visit visit) {
    if (folder.empty()) return false;
    const std::wstring pattern = WidePath(WithSeparator(folder) + "*");
    if (pattern.empty()) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        // An empty drive root answers "no file" rather than an empty list.
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    }
    bool ok = true;
    do {
        const std::string name = Utf8(found.cFileName);
        if (name.empty() || name == "." || name == "..") continue;
        visit(name, found);
    } while (FindNextFileW(search, &found));
    ok = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(search);
    return ok;
}

}  // namespace

bool IsDirectory(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return false;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The find-first-file search of the system itself, with its own wildcard rules.
bool EntryExists(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return false;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

bool MakeDirectory(const std::string& path) {
    const std::wstring wide = WidePath(path);
    return !wide.empty() && (CreateDirectoryW(wide.c_str(), nullptr) || SetErrnoFromLastError());
}

bool RemoveEmptyDirectory(const std::string& path) {
    const std::wstring wide = WidePath(path);
    return !wide.empty() && (RemoveDirectoryW(wide.c_str()) || SetErrnoFromLastError());
}

bool RemoveFile(const std::string& path) {
    PathAttributes found;
    if (!QueryAttributes(path, found)) return false;
    if ((found.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return false;
    // A read-only file is the operator's word that it stays; the system refuses it alike.
    if ((found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        NoteSystemError(ERROR_ACCESS_DENIED);
        return false;
    }
    return DeleteFileW(WidePath(path).c_str()) || SetErrnoFromLastError();
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
    const std::wstring source = WidePath(from);
    const std::wstring target = WidePath(to);
    if (source.empty() || target.empty()) return false;
    // Without MOVEFILE_REPLACE_EXISTING an existing target is refused by the system itself.
    return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) ||
           SetErrnoFromLastError();
}

bool IsReadOnly(const std::string& path) {
    PathAttributes found;
    return QueryAttributes(path, found) && (found.attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

int64_t WritableFileSize(const std::string& path) {
    PathAttributes found;
    if (!QueryAttributes(path, found) || !IsRegularAttributes(found.attributes) ||
        (found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return -1;
    }
    UniqueHandle file = OpenRegularFile(path, GENERIC_WRITE);
    LARGE_INTEGER size{};
    if (!file.IsOpen() || !GetFileSizeEx(file.Get(), &size)) return -1;
    return static_cast<int64_t>(size.QuadPart);
}

std::optional<EntryState> Examine(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return std::nullopt;
    // Opened for no access at all: reading attributes needs none, and it never disturbs
    // another program's use of the file. A reparse point is examined, not followed.
    UniqueHandle entry(
        CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.IsOpen()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return EntryState{};
        NoteSystemError(error);
        return std::nullopt;
    }
    FILE_BASIC_INFO basic{};
    LARGE_INTEGER size{};
    if (!GetFileInformationByHandleEx(entry.Get(), FileBasicInfo, &basic, sizeof basic)) {
        SetErrnoFromLastError();
        return std::nullopt;
    }
    const bool regular =
        GetFileType(entry.Get()) == FILE_TYPE_DISK && IsRegularAttributes(basic.FileAttributes);
    if (regular && !GetFileSizeEx(entry.Get(), &size)) return std::nullopt;
    auto asFileTime = [](const LARGE_INTEGER& value) {
        FILETIME time;
        time.dwLowDateTime = static_cast<DWORD>(value.QuadPart & 0xFFFFFFFF);
        time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(value.QuadPart) >> 32);
        return time;
    };
    EntryState state;
    state.exists = true;
    state.regular = regular;
    state.size = static_cast<int64_t>(size.QuadPart);
    state.modifiedSeconds = FileTimeToEpochSeconds(asFileTime(basic.LastWriteTime));
    state.modifiedNanoseconds = FileTimeNanoseconds(asFileTime(basic.LastWriteTime));
    state.changedSeconds = FileTimeToEpochSeconds(asFileTime(basic.ChangeTime));
    return state;
}

// The serial number of the volume the folder lies on (a link to the folder is followed:
// the configured path may be one).
std::optional<uint64_t> FileSystemId(const std::string& folder) {
    const std::wstring wide = WidePath(folder);
    if (wide.empty()) return std::nullopt;
    UniqueHandle handle(CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle.IsOpen() || !GetFileInformationByHandle(handle.Get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return std::nullopt;
    }
    return static_cast<uint64_t>(info.dwVolumeSerialNumber);
}

int64_t FileSize(const std::string& path) {
    PathAttributes found;
    if (!QueryAttributes(path, found) || !IsRegularAttributes(found.attributes)) return -1;
    return found.size;
}

std::optional<LocalDateTime> ModifiedTime(const std::string& path) {
    PathAttributes found;
    if (!QueryAttributes(path, found)) return std::nullopt;
    return EpochToLocal(FileTimeToEpochSeconds(found.lastWrite));
}

bool SetModifiedTime(const std::string& path, const LocalDateTime& when) {
    PathAttributes found;
    if (!QueryAttributes(path, found) || (found.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return false;
    }
    const std::optional<int64_t> seconds = LocalToEpoch(when);
    if (!seconds) return false;
    UniqueHandle file = OpenRegularFile(path, FILE_WRITE_ATTRIBUTES);
    const FILETIME modified = EpochSecondsToFileTime(*seconds);
    return file.IsOpen() && SetFileTime(file.Get(), nullptr, nullptr, &modified);
}

bool SetModifiedInstant(const std::string& path, int64_t seconds, int64_t nanoseconds) {
    UniqueHandle file = OpenRegularFile(path, FILE_WRITE_ATTRIBUTES);
    if (!file.IsOpen()) return false;
    FILETIME modified = EpochSecondsToFileTime(seconds);
    ULARGE_INTEGER ticks{};
    ticks.LowPart = modified.dwLowDateTime;
    ticks.HighPart = modified.dwHighDateTime;
    ticks.QuadPart += static_cast<uint64_t>(nanoseconds / 100);
    modified.dwLowDateTime = ticks.LowPart;
    modified.dwHighDateTime = ticks.HighPart;
    return SetFileTime(file.Get(), nullptr, nullptr, &modified) != 0;
}

std::optional<DiskSpace> QueryDiskSpace(const std::string& path) {
    const std::wstring wide = WidePath(path);
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    if (wide.empty() || !GetDiskFreeSpaceExW(wide.c_str(), &available, &total, nullptr)) {
        return std::nullopt;
    }
    return DiskSpace{available.QuadPart, total.QuadPart};
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
    // The program's own files are regular files: a link is not followed, a device or pipe
    // in a state file's place cannot hang the program.
    UniqueHandle file = OpenRegularFile(path, GENERIC_READ);
    if (!file.IsOpen()) return std::nullopt;
    std::string content;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) {
            SetErrnoFromLastError();
            return std::nullopt;
        }
        if (read == 0) return content;
        content.append(buffer, read);
    }
}

struct AtomicFileWriter::Temporary {
    std::wstring name;
    UniqueHandle file;
};

AtomicFileWriter::AtomicFileWriter(const std::string& path) : path_(path) {
    errno = 0;
    if (path.empty() || IsReadOnly(path) || IsDirectory(path)) {
        Fail();
        return;
    }
    const std::string folder = FolderOf(path);
    const std::string base = path.substr(folder.size());
    // A hidden temporary name, so folder listings never pick it up.
    for (int attempt = 0; attempt < 16; ++attempt) {
        auto temporary = std::make_unique<Temporary>();
        temporary->name = WidePath(folder + "." + base + ".vfs-" + UniqueSuffix());
        temporary->file =
            UniqueHandle(CreateFileW(temporary->name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (temporary->file.IsOpen()) {
            temporary_ = std::move(temporary);
            buffer_.reserve(kBufferSize);
            return;
        }
        if (GetLastError() == ERROR_FILE_EXISTS) continue;
        SetErrnoFromLastError();
        Fail();
        return;
    }
    errno = EEXIST;
    Fail();
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!temporary_) return;
    // The caller may still read errno for the failure that left the file unfinished.
    const int error = errno;
    temporary_->file.Close();
    DeleteFileW(temporary_->name.c_str());
    errno = error;
}

bool AtomicFileWriter::WriteOut(std::string_view data) {
    return WriteAll(temporary_->file.Get(), data.data(), data.size());
}

bool AtomicFileWriter::Commit() {
    if (!failed_ && Flush()) {
        bool ok = FlushFileBuffers(temporary_->file.Get()) || (SetErrnoFromLastError(), Fail());
        ok = (temporary_->file.Close() || Fail()) && ok;
        // The file keeps the attributes of the temporary: it must not stay hidden.
        ok = ok && (SetFileAttributesW(temporary_->name.c_str(), FILE_ATTRIBUTE_NORMAL) ||
                    (SetErrnoFromLastError(), Fail()));
        if (ok && MoveFileExW(temporary_->name.c_str(), WidePath(path_).c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            temporary_.reset();
            return true;
        }
        if (ok) {
            SetErrnoFromLastError();
            Fail();
        }
    }
    if (temporary_) {
        temporary_->file.Close();
        DeleteFileW(temporary_->name.c_str());
        temporary_.reset();
    }
    errno = error_;
    return false;
}

bool AppendToFile(const std::string& path, const std::string& content) {
    if (path.empty() || IsReadOnly(path)) return false;
    const std::wstring wide = WidePath(path);
    UniqueHandle file(CreateFileW(wide.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsOpen()) return SetErrnoFromLastError();
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.Get(), &info) ||
        !IsRegularAttributes(info.dwFileAttributes)) {
        errno = EINVAL;
        return false;
    }
    const bool ok = WriteAll(file.Get(), content.data(), content.size());
    return file.Close() && ok;
}

std::optional<std::vector<std::string>> ListFolder(const std::string& folder,
                                                   const std::string& patterns) {
    const std::vector<std::string> wanted = SplitPatterns(patterns);
    std::vector<std::string> names;
    const bool ok = ForEachEntry(folder, [&](const std::string& name, const WIN32_FIND_DATAW& e) {
        // Hidden and system files stay out, as the system's own file lists leave them out,
        // and so do names starting with '.', which the program uses for its temporaries.
        constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        if ((e.dwFileAttributes & kLeftOut) != 0 || !IsRegularAttributes(e.dwFileAttributes) ||
            name[0] == '.') {
            return;
        }
        if (MatchesAnyPattern(name.c_str(), wanted)) names.push_back(name);
    });
    if (!ok) return std::nullopt;
    SortIgnoringCase(names);
    return names;
}

std::optional<std::vector<std::string>> ListAllEntries(const std::string& folder) {
    std::vector<std::string> names;
    const bool ok = ForEachEntry(
        folder, [&](const std::string& name, const WIN32_FIND_DATAW&) { names.push_back(name); });
    if (!ok) return std::nullopt;
    return names;
}

std::string ExecutableFolder() {
    std::wstring buffer(32768, L'\0');
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return {};
    buffer.resize(length);
    const std::string path = Utf8(buffer);
    const std::size_t slash = path.find_last_of("\\/");
    if (slash == std::string::npos) return {};
    // A drive root keeps its separator ("C:\").
    return path.substr(0, (slash > 0 && path[slash - 1] == ':') ? slash + 1 : slash);
}

// The listing does not go through the open folder here: the look-ups ask the system by name.
ListedFolder NativeFileSystem::ListAndOpen(const std::string& folder, const std::string& patterns) {
    return FileSystem::ListAndOpen(folder, patterns);
}

}  // namespace vfs::platform
