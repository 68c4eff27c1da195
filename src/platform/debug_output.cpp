#include "platform/debug_output.h"

#include <syslog.h>

namespace vfs::platform {

void OpenDebugOutput(const char* programName) {
    openlog(programName, LOG_PID, LOG_USER);
}

void DebugOutput(const std::string& line) {
    syslog(LOG_DEBUG, "%s", line.c_str());
}

void CloseDebugOutput() {
    closelog();
}

}  // namespace vfs::platform
