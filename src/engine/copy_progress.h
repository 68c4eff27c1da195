// Copying one file with the per-file progress bar, the status texts and the copy delay
// that throttles disk and CPU use. Every task copy and every backup copy goes through here.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"
#include "platform/copy_file.h"

namespace vfs {

// Copies source to destination (both full file paths), creating the destination folder
// when missing. The destination is created exclusively: an existing entry of that name makes
// the copy fail with EEXIST and is left alone. A failed or cancelled copy removes what it
// wrote.
platform::CopyResult CopyFileWithProgress(Context& ctx, const std::string& source,
                                          const std::string& destination);

// One progress report of the running copy: bar, label, status line, clock, event loop, tray
// icon and the copy delay.
void CopyProgressCallback(Context& ctx, int64_t totalBytes, int64_t bytesTransferred);

// Makes the copy in flight stop at its next chunk, and every later copy fail at once.
void CancelCopy(Context& ctx);

// Byte count in KB, rounded to the nearest whole number with halves to the even neighbour.
int32_t BytesToKB(int64_t bytes);

}  // namespace vfs
