// Lines for the operator on standard output and standard error.
#pragma once

#include <cstdio>
#include <string>

namespace vfs::platform {

// Writes a UTF-8 line and flushes it. A Windows console is given the text as UTF-16, so it
// shows letters beyond the console's code page; a file or pipe gets the UTF-8 bytes.
void PrintLine(std::FILE* stream, const std::string& text);

}  // namespace vfs::platform
