// The program without a window: the program host driven by one 100 ms tick loop on the
// main thread. Completed-list lines go to standard output, messages for the operator to
// standard error; SIGINT and SIGTERM ask the program to close.
#pragma once

#include <string>

namespace vfs::app {

// Runs the program to its end and answers the exit status; its files live in programFolder.
// A run in which something failed or stopped ends with its summary on standard error. Quiet,
// standard output gets only the lines that tell of a failure or a stop.
int RunHeadless(const std::string& argumentText, const std::string& programFolder,
                bool quiet = false);

}  // namespace vfs::app
