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

// Copies the regular file `source` to `destination`, creating or overwriting the latter.
// The cancel flag is checked before each chunk. Refuses a read-only destination. The
// source's modification time and mode bits are carried over (the mode last, so a read-only
// source still gives a complete copy). A cancelled or failed copy removes what it wrote.
bool CopyFileChunked(const std::string& source, const std::string& destination,
                     const CopyProgress& progress, const int32_t* cancelFlag);

// Flushes a file's data and attributes to disk; false when it cannot be opened or flushed.
bool FlushFileToDisk(const std::string& path);

// Gives a finished file its real name in one step, then flushes the folder so the new name
// survives a crash. With replaceExisting the target must be a writable regular file, which
// the move replaces atomically (there is never a moment without a file under that name);
// without it an existing target is refused.
bool MoveIntoPlace(const std::string& from, const std::string& to, bool replaceExisting);

}  // namespace vfs::platform
