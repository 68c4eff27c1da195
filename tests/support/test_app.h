// A program state, form model and ports with a settable clock, for tests of the core.
#pragma once

#include <string>
#include <vector>

#include "engine/context.h"

namespace vfs::test {

struct TestApp {
    ProgramState state;
    FormModel form;
    Ports ports;
    Context ctx{state, form, ports};

    LocalDateTime clock{2026, 12, 5, 14, 2, 11, 0};
    std::vector<std::string> debugLines;
    std::vector<int> sleeps;
    int yields = 0;
    int trayRefreshes = 0;

    explicit TestApp(const std::string& programFolder = "") {
        ports.programFolder = programFolder;
        ports.now = [this] { return clock; };
        ports.sleep = [this](int ms) { sleeps.push_back(ms); };
        ports.yield = [this] { ++yields; };
        ports.debug = [this](const std::string& s) { debugLines.push_back(s); };
        ports.updateTrayIcon = [this] { ++trayRefreshes; };
        state.SettingsFolder = programFolder.empty() ? "" : programFolder + platform::kSeparator;
    }
};

}  // namespace vfs::test
