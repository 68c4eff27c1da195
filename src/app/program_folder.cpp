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

namespace {

// The program's text is UTF-8 on every system; a path built from a plain string would take
// it for the ANSI code page on Windows.
std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string TextOf(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

std::string PrepareProgramFolder(const ParsedArguments& args) {
    std::string folder = ChooseProgramFolder(args.programFolder, platform::ExecutableFolder(),
                                             std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (folder.empty()) return folder;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(PathOf(folder), ec);
    if (!ec) folder = TextOf(absolute.lexically_normal());
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\') &&
        folder[folder.size() - 2] != ':') {
        folder.pop_back();
    }
    if (!args.preview) std::filesystem::create_directories(PathOf(folder), ec);
    return folder;
}

}  // namespace vfs::app
