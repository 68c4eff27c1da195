// The program in a build without a window (the Windows build for now): started without the
// word HEADLESS it runs headless all the same, as there is nothing else it could show.
#include "app/headless.h"
#include "app/windowed.h"

namespace vfs::app {

int RunWithWindowWherePossible(const std::string& argumentText, const std::string& programFolder,
                               int, char**) {
    return RunHeadless(argumentText, programFolder);
}

}  // namespace vfs::app
