#include "app/windowed.h"

#include <syslog.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdlib>

#include "app/program_host.h"
#include "app/window_front_end.h"

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
    openlog("varnelfilesync", LOG_PID, LOG_USER);
    QApplication app(argc, argv);
    // The program ends through its own close logic, never because a window closed.
    app.setQuitOnLastWindowClosed(false);
    ProgramHost host;
    host.ports().programFolder = programFolder;
    WindowFrontEnd frontEnd(host);
    frontEnd.onFinished = [](int status) { QCoreApplication::exit(status); };
    InstallCloseSignalHandlers();
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
    closelog();
    return status;
}

}  // namespace vfs::app
