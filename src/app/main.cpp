// Entry point: the window on a desktop, the headless program with the word HEADLESS or
// where there is no display to open a window on.
#include <cstdio>

#include "app/headless.h"
#include "app/windowed.h"
#include "config/startup.h"

int main(int argc, char** argv) {
    const std::string arguments = vfs::JoinArguments(argc, argv);
    if (vfs::ParseCommandLine(arguments).Headless) return vfs::app::RunHeadless(arguments);
    if (!vfs::app::DisplayAvailable()) {
        std::fputs("varnelfilesync: no display to open a window on; running headless\n", stderr);
        return vfs::app::RunHeadless(arguments);
    }
    return vfs::app::RunWindowed(arguments, argc, argv);
}
