// The system's debug output, where the program notes what it reads and decides for whoever
// watches (a debugger on Windows, the system log at debug level on Linux).
#pragma once

#include <string>

namespace vfs::platform {

// Opens the output under the program's name; DebugOutput works without it too.
void OpenDebugOutput(const char* programName);
void DebugOutput(const std::string& line);
void CloseDebugOutput();

}  // namespace vfs::platform
