// The program with its window: the program host driven by Qt's event loop, a precise
// timer for the 100 ms tick, Qt message boxes and the main window bound to the form model.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace vfs::app {

// There is a display to open a window on (an X or Wayland display, or a Qt platform
// chosen explicitly, such as the offscreen one).
bool DisplayAvailable();

// Reads an environment variable; empty when it is not set.
using Environment = std::function<std::string(const char* name)>;

// The Qt platform plugins that could open the window, in the order Qt tries them. named
// says they come from QT_QPA_PLATFORM (a list separated by ';', each name without its
// ':options'); otherwise they follow the session: wayland for a Wayland display without an X
// one or on a Wayland session outside GNOME (where Qt keeps to X), then xcb for an X display.
struct PlatformChoice {
    std::vector<std::string> names;
    bool named = false;
};
PlatformChoice ChoosePlatform(const Environment& environment);

// The folders Qt takes platform plugins from: QT_QPA_PLATFORM_PLUGIN_PATH, then the
// platforms folder of each QT_PLUGIN_PATH entry, of Qt's own plugin folder and of the folder
// the executable is in.
std::vector<std::string> PlatformPluginFolders(const Environment& environment,
                                               const std::string& executableFolder);

// The first of the names that a plugin in one of the folders provides and that loads (its
// libraries are all there and it fits this Qt), or "" when there is none. The plugin stays
// loaded; Qt takes the same library when it creates the platform.
std::string LoadablePlatform(const std::vector<std::string>& names,
                             const std::vector<std::string>& folders);

// Runs the program with its window to its end and answers the exit status; its files live
// in programFolder.
int RunWindowed(const std::string& argumentText, const std::string& programFolder, int argc,
                char** argv);

// The program started without the word HEADLESS: with its window where there is a display
// and a platform plugin for it, otherwise headless after one line on standard error that
// says why (Qt would abort the program instead). A build without a window runs headless.
int RunWithWindowWherePossible(const std::string& argumentText, const std::string& programFolder,
                               int argc, char** argv);

}  // namespace vfs::app
