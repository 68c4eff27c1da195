#include "platform/win32_support.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

namespace vfs::platform {

namespace {

// 100 ns steps between 1601-01-01 and 1970-01-01.
constexpr int64_t kEpochOffsetTicks = 116444736000000000LL;
constexpr int64_t kTicksPerSecond = 10000000LL;

int64_t Ticks(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                                time.dwLowDateTime);
}

// Floor division, so instants before 1970 stay in the right second.
int64_t FloorDiv(int64_t value, int64_t divisor) {
    int64_t q = value / divisor;
    if ((value % divisor) != 0 && value < 0) --q;
    return q;
}

}  // namespace

std::wstring Wide(const std::string& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::string Utf8(const std::wstring& text) {
    if (text.empty() || text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return {};
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

int ErrnoFromWin32(DWORD code) {
    switch (code) {
        case ERROR_SUCCESS:
            return 0;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_INVALID_NAME:
        case ERROR_DIRECTORY:
            return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_CANT_ACCESS_FILE:
            return EACCES;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_SAME_DEVICE:
            return EXDEV;
        case ERROR_DIR_NOT_EMPTY:
            return ENOTEMPTY;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_FILENAME_EXCED_RANGE:
            return ENAMETOOLONG;
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_UNEXP_NET_ERR:
        case ERROR_NETNAME_DELETED:
            return EIO;
        default:
            return EINVAL;
    }
}

namespace {
thread_local DWORD g_lastSystemError = ERROR_SUCCESS;
}  // namespace

// Reaching a thread-local variable may itself clear the thread's last error (the tool chain
// keeps such variables through TlsGetValue, which does): the last error is put back, so a
// caller can still read it after noting it.
int NoteSystemError(DWORD code) {
    g_lastSystemError = code;
    SetLastError(code);
    errno = ErrnoFromWin32(code);
    return errno;
}

DWORD LastSystemErrorCode() {
    const DWORD current = GetLastError();
    const DWORD noted = g_lastSystemError;
    SetLastError(current);
    return noted;
}

bool SetErrnoFromLastError() {
    NoteSystemError(GetLastError());
    return false;
}

namespace {

// Paths from this length on need the long form: CreateDirectory stops 12 characters short
// of the 260 that the other calls allow.
constexpr std::size_t kLongPathFrom = 248;

bool IsWideSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// The steps of an absolute path after its root, with "." dropped and ".." taking back the
// step before (never the root itself), joined by backslashes.
std::wstring ResolvedSteps(const std::wstring& rest) {
    std::vector<std::wstring> steps;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t end = start;
        while (end < rest.size() && !IsWideSeparator(rest[end]))
            ++end;
        const std::wstring step = rest.substr(start, end - start);
        if (step == L"..") {
            if (!steps.empty()) steps.pop_back();
        } else if (!step.empty() && step != L".") {
            steps.push_back(step);
        }
        start = end + 1;
    }
    std::wstring joined;
    for (const std::wstring& step : steps) {
        if (!joined.empty()) joined.push_back(L'\\');
        joined += step;
    }
    // A trailing separator names the same folder and is kept for calls that want one.
    if (!rest.empty() && IsWideSeparator(rest.back()) && !joined.empty()) joined.push_back(L'\\');
    return joined;
}

}  // namespace

std::wstring WidePath(const std::string& path) {
    std::wstring wide = Wide(path);
    if (wide.size() < kLongPathFrom) return wide;
    if (wide.rfind(L"\\\\?\\", 0) == 0) return wide;
    if (wide.size() >= 3 && wide[1] == L':' && IsWideSeparator(wide[2])) {
        return L"\\\\?\\" + wide.substr(0, 2) + L"\\" + ResolvedSteps(wide.substr(3));
    }
    if (wide.size() >= 2 && IsWideSeparator(wide[0]) && IsWideSeparator(wide[1])) {
        return L"\\\\?\\UNC\\" + ResolvedSteps(wide.substr(2));
    }
    // A relative path has no long form; the system's own limit applies to it.
    return wide;
}

int64_t FileTimeToEpochSeconds(const FILETIME& time) {
    return FloorDiv(Ticks(time) - kEpochOffsetTicks, kTicksPerSecond);
}

int64_t FileTimeNanoseconds(const FILETIME& time) {
    const int64_t ticks = Ticks(time) - kEpochOffsetTicks;
    return (ticks - FloorDiv(ticks, kTicksPerSecond) * kTicksPerSecond) * 100;
}

FILETIME EpochSecondsToFileTime(int64_t seconds) {
    const auto ticks = static_cast<uint64_t>(seconds * kTicksPerSecond + kEpochOffsetTicks);
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return time;
}

void UniqueHandle::Reset(HANDLE handle) {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

bool UniqueHandle::Close() {
    if (handle_ == nullptr) return true;
    return CloseHandle(Release()) != 0;
}

bool IsRegularAttributes(DWORD attributes) {
    return (attributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

UniqueHandle OpenRegularFile(const std::string& path, DWORD access) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        errno = ENOENT;
        return {};
    }
    UniqueHandle file(CreateFileW(wide.c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.IsOpen()) {
        SetErrnoFromLastError();
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file.Get()) != FILE_TYPE_DISK ||
        !GetFileInformationByHandle(file.Get(), &info) ||
        !IsRegularAttributes(info.dwFileAttributes)) {
        errno = EINVAL;
        return {};
    }
    return file;
}

bool QueryAttributes(const std::string& path, PathAttributes& out) {
    const std::wstring wide = WidePath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (wide.empty()) {
        errno = ENOENT;
        return false;
    }
    // GetFileAttributesEx reports a link itself, not what it points to.
    if (!GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data))
        return SetErrnoFromLastError();
    out.attributes = data.dwFileAttributes;
    out.size =
        static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    out.lastWrite = data.ftLastWriteTime;
    return true;
}

bool WriteAll(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr)) return SetErrnoFromLastError();
        if (written == 0) return false;
        data += written;
        size -= written;
    }
    return true;
}

}  // namespace vfs::platform
