// What every Win32 file of the platform layer shares: UTF-8 text inside the program and wide
// text at the system's boundary, handles that close themselves, file times as instants, and
// the system's error codes told as the error numbers the rest of the program reports. Only
// the platform layer's Win32 files include this header.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>

namespace vfs::platform {

// UTF-8 to UTF-16 and back; text that is no valid UTF-8 converts to an empty text, which
// names no file.
std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);

// The error number (ENOENT, EACCES, ENOSPC, ...) for a system error code, so messages read
// the same on every system. Also stored in errno by SetErrnoFromLastError.
int ErrnoFromWin32(DWORD code);
// errno from GetLastError(); answers false, so a failing call can end with it.
bool SetErrnoFromLastError();
// Sets errno for a system error code and keeps the code, so the failure can later be told in
// the system's own words (see ErrorText); answers the error number.
int NoteSystemError(DWORD code);
// The code kept by the last NoteSystemError or SetErrnoFromLastError of this thread.
DWORD LastSystemErrorCode();

// A path as the wide text the system's file calls take. A path longer than the classic limit
// of 260 characters (248 for a folder) gets the "\\?\" form ("\\?\UNC\" for a share),
// which lifts the limit; as that form is passed on as it stands, its separators become
// backslashes and "." and ".." steps are resolved first. Shorter paths stay as they are.
std::wstring WidePath(const std::string& path);

// A FILETIME (100 ns steps since 1601, UTC) as seconds and nanoseconds since 1970, and back.
int64_t FileTimeToEpochSeconds(const FILETIME& time);
int64_t FileTimeNanoseconds(const FILETIME& time);
FILETIME EpochSecondsToFileTime(int64_t seconds);

// Owns one handle: closed when the owner goes, handed on by moving, never copied.
class UniqueHandle {
  public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle)
        : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    HANDLE Get() const { return handle_; }
    bool IsOpen() const { return handle_ != nullptr; }
    HANDLE Release() { return std::exchange(handle_, nullptr); }
    void Reset(HANDLE handle = nullptr);
    // Closes now and says whether the close succeeded.
    bool Close();

  private:
    HANDLE handle_ = nullptr;
};

// Opens an existing path without following a reparse point (a symbolic link or junction is
// refused, never read through) and checks that it is a regular file on a disk: a folder, a
// device or a pipe is closed again and refused. Sharing lets other programs go on reading
// and writing, as an operator's tools expect.
UniqueHandle OpenRegularFile(const std::string& path, DWORD access);

// The attributes of a path without following a reparse point; nothing when the look-up
// failed (errno set; ENOENT for a missing entry).
struct PathAttributes {
    DWORD attributes = 0;
    int64_t size = 0;
    FILETIME lastWrite{};
};
bool QueryAttributes(const std::string& path, PathAttributes& out);

// A regular file: no folder, no reparse point, no device.
bool IsRegularAttributes(DWORD attributes);

// Writes every byte; false on any error.
bool WriteAll(HANDLE file, const char* data, std::size_t size);

}  // namespace vfs::platform
