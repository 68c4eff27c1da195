// Whether the program can keep its own files: the settings file can be read and replaced,
// and a folder takes new files. Each answer is 0 when the file or folder is usable, else the
// system's error number, so the caller can say why.
#pragma once

#include <string>

namespace vfs::platform {

// 0 when the file is missing or is a regular file whose content can be read; an error
// number when it exists but cannot be read (no permission, a folder, a FIFO, a device).
// Never blocks.
int ProbeReadableIfPresent(const std::string& file);

// 0 when a new file can be created in the folder (a file is created exclusively under a
// hidden name of ours and removed again at once); the error number otherwise.
int ProbeWritableFolder(const std::string& folder);

// 0 when the file is missing or can be opened for writing; the error number otherwise (an
// immutable or read-only file, a read-only file system). Never changes the file.
int ProbeWritableIfPresent(const std::string& file);

}  // namespace vfs::platform
