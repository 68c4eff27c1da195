// Entry point: the answers that need no files (help, version, a refused word), then the
// program with its window on a desktop, or headless with the word HEADLESS or where there
// is no display to open a window on.
#include "app/headless.h"
#include "app/program_folder.h"
#include "app/windowed.h"
#include "config/command_line.h"
#include "config/startup.h"
#include "platform/program_arguments.h"

int main(int argc, char** argv) {
    const vfs::ParsedArguments args =
        vfs::ParseArguments(vfs::platform::ProgramArguments(argc, argv));
    if (args.invocation != vfs::Invocation::Run) return vfs::app::AnswerWithoutRunning(args);
    const std::string folder = vfs::app::PrepareProgramFolder(args);
    const std::string words = args.programWords + (args.preview ? " PREVIEW" : "");
    if (args.quiet || vfs::ParseCommandLine(words).Headless) {
        return vfs::app::RunHeadless(words, folder, args.quiet);
    }
    return vfs::app::RunWithWindowWherePossible(words, folder, argc, argv);
}
