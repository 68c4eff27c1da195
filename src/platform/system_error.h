// The system's own words for why a call failed, for lines the operator reads.
#pragma once

#include <string>

namespace vfs::platform {

// The reason for an error number (ENOENT, EACCES, ...). On Windows the system's message for
// the failure that set that number is given where it is still known, so a file locked by
// another program reads "... being used by another process" rather than "Permission
// denied"; otherwise, and on Linux, the C library's text.
std::string ErrorText(int error);

}  // namespace vfs::platform
