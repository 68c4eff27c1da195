// What the command line settles before the program proper starts: the answers that need no
// files (help, version, a refused argument) and the folder the program keeps its files in.
#pragma once

#include <string>

#include "config/command_line.h"

namespace vfs::app {

// Prints the help or the version on standard output (status 0), or the refusal and the
// usage on standard error (status 2). Reads and writes no file.
int AnswerWithoutRunning(const ParsedArguments& args);

// The program's folder for this run, made absolute; it is created when it does not exist
// yet (a first start of an installed copy), except for a preview, which writes nothing.
std::string PrepareProgramFolder(const ParsedArguments& args);

}  // namespace vfs::app
