#include "app/program_folder.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/file_system.h"

namespace vfs::app {

int AnswerWithoutRunning(const ParsedArguments& args) {
    switch (args.invocation) {
        case Invocation::Help:
            std::fputs(UsageText().c_str(), stdout);
            return 0;
        case Invocation::Version:
            std::fputs(VersionText().c_str(), stdout);
            return 0;
        default:
            std::fputs((RefusalText(args.refusedArgument) + "\n" + UsageText()).c_str(), stderr);
            return 2;
    }
}

std::string PrepareProgramFolder(const ParsedArguments& args) {
    std::string folder = ChooseProgramFolder(args.programFolder, platform::ExecutableFolder(),
                                             std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) return folder;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    if (!ec) folder = absolute.lexically_normal().string();
    if (!folder.empty() && folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!args.preview) std::filesystem::create_directories(folder, ec);
    return folder;
}

}  // namespace vfs::app
