#include "platform/debug_output.h"

#include "platform/win32_support.h"

namespace vfs::platform {

// The debugger's output needs no opening: a debugger attached shows each line as it comes.
void OpenDebugOutput(const char*) {}

void DebugOutput(const std::string& line) {
    OutputDebugStringW(Wide(line + "\n").c_str());
}

void CloseDebugOutput() {}

}  // namespace vfs::platform
