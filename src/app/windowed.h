// The program with its window: the program host driven by Qt's event loop, a precise
// timer for the 100 ms tick, Qt message boxes and the main window bound to the form model.
#pragma once

#include <string>

namespace vfs::app {

// There is a display to open a window on (an X or Wayland display, or a Qt platform
// chosen explicitly, such as the offscreen one).
bool DisplayAvailable();

// Runs the program with its window to its end and answers the exit status; its files live
// in programFolder.
int RunWindowed(const std::string& argumentText, const std::string& programFolder, int argc,
                char** argv);

// The program started without the word HEADLESS: with its window where there is a display,
// otherwise headless after one line on standard error that says why. A build without a
// window runs headless.
int RunWithWindowWherePossible(const std::string& argumentText, const std::string& programFolder,
                               int argc, char** argv);

}  // namespace vfs::app
