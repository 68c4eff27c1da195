// The words the program was started with, as UTF-8 text.
#pragma once

#include <string>
#include <vector>

namespace vfs::platform {

// The arguments after the program's own name. On Windows they are taken from the wide
// command line, so a folder named with letters outside the ANSI code page arrives intact;
// elsewhere they are argv as it stands.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace vfs::platform
