// Chunked file copy with a progress report after every chunk and a cancel flag, as the
// copy-with-progress service of the operating system the program was first written for.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vfs::platform {

inline constexpr int64_t kCopyChunkBytes = 1 << 20;

// Called after every chunk with the file's total size and the bytes written so far.
// It may run the event loop, so it may also set the cancel flag.
using CopyProgress = std::function<void(int64_t totalBytes, int64_t bytesTransferred)>;

// How a copy ended. `error` is the system's error number of the call that failed (0 when
// the copy was cancelled or the source was no regular file); `sourceChanged` says the
// source was written to while it was copied, so the copy held no single version of it.
struct CopyResult {
    bool ok = false;
    bool sourceChanged = false;
    int error = 0;
    // The version of the source the copy holds, as the open file had it.
    int64_t sourceSize = -1;
    int64_t sourceSeconds = 0;  // its modified time, UTC seconds since the epoch
    int64_t sourceNanoseconds = 0;

    explicit operator bool() const { return ok; }
};

// Copies the regular file `source` into a new file `destination`, which is created
// exclusively: an entry of that name, of any kind, is never written to or through. The
// source is opened once, without following a symbolic link and without blocking (a FIFO
// or device is refused, not read); its size and times come from the open file, holes of a
// sparse source stay holes, and the copy is stamped with the exact modified time of the
// content it holds. A source that changed during the copy fails it. The cancel flag is
// checked before each chunk. Mode bits are carried over last, so a read-only source still
// gives a complete copy, and only between file systems that keep them (a file from a FAT
// disk or a Windows share gets the ordinary mode). A time the destination's file system
// drops on close is set again after it. A cancelled or failed copy removes what it wrote.
CopyResult CopyFileChunked(const std::string& source, const std::string& destination,
                           const CopyProgress& progress, const int32_t* cancelFlag);

// Flushes a file's data and attributes to disk; false when it cannot be opened or flushed.
bool FlushFileToDisk(const std::string& path);

// Gives a finished file its real name in one step, then flushes the folder so the new name
// survives a crash. With replaceExisting the target must be a writable regular file, which
// the move replaces atomically (there is never a moment without a file under that name);
// without it an existing target is refused.
bool MoveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting);

}  // namespace vfs::platform
