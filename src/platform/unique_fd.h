// An open file descriptor that closes itself, and the two small POSIX helpers every file of
// the platform layer shares. Only the platform layer includes this header.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <utility>

namespace vfs::platform {

// Owns one file descriptor: closed when the owner goes, handed on by moving, never copied.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() { Reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // Gives the descriptor up without closing it.
    int Release() { return std::exchange(fd_, -1); }
    // Closes the descriptor held (if any) and takes another.
    void Reset(int fd = -1);
    // Closes now and says whether the close succeeded: a failed close of a written file
    // means its data may not have reached the disk.
    bool Close();

  private:
    int fd_ = -1;
};

// Opens a path that must name a regular file: a symbolic link is not followed and the open
// cannot block (a FIFO would wait for its other end forever); anything but a regular file is
// closed again and refused. The descriptor answered does blocking I/O.
UniqueFd OpenRegularFile(const char* path, int flags, mode_t mode = 0);

// Writes every byte, resuming after interruptions; false on any error.
bool WriteAll(int fd, const char* data, std::size_t size);

// True when any of the owner, group or other write bits is set. A file without one stands
// for a read-only file, also for root, who would otherwise pass every permission check.
bool HasWriteBit(mode_t mode);

}  // namespace vfs::platform
