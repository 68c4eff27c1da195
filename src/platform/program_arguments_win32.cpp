#include "platform/program_arguments.h"

#include "platform/win32_support.h"

#include <shellapi.h>

namespace vfs::platform {

// The narrow argv holds the command line in the ANSI code page, where letters outside it
// are already lost; the wide command line, split by the system's own rules, holds them all.
std::vector<std::string> ProgramArguments(int argc, char** argv) {
    int count = 0;
    wchar_t** words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) {
        if (argc < 1 || argv == nullptr) return {};
        return {argv + 1, argv + argc};
    }
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(Utf8(words[i]));
    LocalFree(words);
    return arguments;
}

}  // namespace vfs::platform
