#include "app/windowed.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/headless.h"
#include "app/program_host.h"
#include "app/window_front_end.h"
#include "platform/debug_output.h"
#include "platform/process_events.h"

namespace vfs::app {

bool DisplayAvailable() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

int RunWindowed(const std::string& argumentText, const std::string& programFolder, int argc,
                char** argv) {
    platform::OpenDebugOutput("varnelfilesync");
    QApplication app(argc, argv);
    // The program ends through its own close logic, never because a window closed.
    app.setQuitOnLastWindowClosed(false);
    ProgramHost host;
    host.ports().programFolder = programFolder;
    WindowFrontEnd frontEnd(host);
    frontEnd.onFinished = [](int status) { QCoreApplication::exit(status); };
    platform::WatchCloseRequests();
    int status = host.ExitStatus();
    if (frontEnd.Start(argumentText)) {
        // A signal interrupts the event loop's wait; the host handles it at the next turn,
        // which a short timer makes sure comes soon even between ticks.
        QTimer signalCheck;
        QObject::connect(&signalCheck, &QTimer::timeout, [&host] { host.HandleCloseSignals(); });
        signalCheck.start(50);
        status = app.exec();
        status = host.Unloaded() ? host.ExitStatus() : status;
    } else {
        status = host.ExitStatus();
    }
    platform::CloseDebugOutput();
    return status;
}

int RunWithWindowWherePossible(const std::string& argumentText, const std::string& programFolder,
                               int argc, char** argv) {
    if (DisplayAvailable()) return RunWindowed(argumentText, programFolder, argc, argv);
    std::fputs("varnelfilesync: no display to open a window on; running headless\n", stderr);
    return RunHeadless(argumentText, programFolder);
}

}  // namespace vfs::app
