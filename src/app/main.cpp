// Entry point. The program runs headless until it has a window of its own; the word
// HEADLESS on the command line is accepted now so that scripts need no change later.
#include <cstdio>
#include <cstdlib>

#include "app/headless.h"
#include "app/program_folder.h"
#include "config/command_line.h"

int main(int argc, char** argv) {
    const vfs::ParsedArguments args = vfs::ParseArguments({argv + 1, argv + argc});
    if (args.invocation != vfs::Invocation::Run) return vfs::app::AnswerWithoutRunning(args);
    const std::string folder = vfs::app::PrepareProgramFolder(args);
    return vfs::app::RunHeadless(args.programWords + (args.preview ? " PREVIEW" : ""), folder);
}
