#include "app/windowed.h"

#include <QApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QLibrary>
#include <QLibraryInfo>
#include <QPluginLoader>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

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

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find(separator, start)) != std::string::npos; start = end + 1)
        parts.push_back(text.substr(start, end - start));
    parts.push_back(text.substr(start));
    return parts;
}

std::string ProcessEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ExecutableFolder() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string();
}

// The plugin in the file is a platform plugin and names the platform among its keys.
bool ProvidesPlatform(const QJsonObject& metaData, const QString& name) {
    if (!metaData.value(QLatin1String("IID"))
             .toString()
             .startsWith(
                 QLatin1String("org.qt-project.Qt.QPA.QPlatformIntegrationFactoryInterface")))
        return false;
    const QJsonArray keys =
        metaData.value(QLatin1String("MetaData")).toObject().value(QLatin1String("Keys")).toArray();
    return std::any_of(keys.begin(), keys.end(), [&name](const QJsonValue& key) {
        return key.toString().compare(name, Qt::CaseInsensitive) == 0;
    });
}

std::string Joined(const std::vector<std::string>& names, const char* separator) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : separator) + name;
    return text.empty() ? "none named" : text;
}

}  // namespace

PlatformChoice ChoosePlatform(const Environment& environment) {
    PlatformChoice choice;
    const std::string named = environment("QT_QPA_PLATFORM");
    if (!named.empty()) {
        choice.named = true;
        for (const std::string& entry : Split(named, ';')) {
            const std::string name = Lower(entry.substr(0, entry.find(':')));
            if (!name.empty()) choice.names.push_back(name);
        }
        return choice;
    }
    const bool x = !environment("DISPLAY").empty();
    const bool wayland = !environment("WAYLAND_DISPLAY").empty();
    const bool gnome =
        Lower(environment("XDG_CURRENT_DESKTOP")).find("gnome") != std::string::npos ||
        Lower(environment("XDG_SESSION_DESKTOP")).find("gnome") != std::string::npos;
    const bool waylandSession = environment("XDG_SESSION_TYPE") == "wayland" && !gnome;
    if (wayland && (!x || waylandSession)) choice.names.push_back("wayland");
    if (x) choice.names.push_back("xcb");
    return choice;
}

std::vector<std::string> PlatformPluginFolders(const Environment& environment,
                                               const std::string& executableFolder) {
    std::vector<std::string> folders;
    const std::string direct = environment("QT_QPA_PLATFORM_PLUGIN_PATH");
    if (!direct.empty()) folders.push_back(direct);
    std::vector<std::string> pluginFolders;
    for (const std::string& entry : Split(environment("QT_PLUGIN_PATH"), ':'))
        if (!entry.empty()) pluginFolders.push_back(entry);
    pluginFolders.push_back(QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString());
    if (!executableFolder.empty()) pluginFolders.push_back(executableFolder);
    for (const std::string& folder : pluginFolders)
        folders.push_back(folder + "/platforms");
    return folders;
}

std::string LoadablePlatform(const std::vector<std::string>& names,
                             const std::vector<std::string>& folders) {
    for (const std::string& name : names) {
        const QString platform = QString::fromStdString(name);
        for (const std::string& folder : folders) {
            const QDir dir(QString::fromStdString(folder));
            for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
                if (!QLibrary::isLibrary(file.fileName())) continue;
                QPluginLoader plugin(file.absoluteFilePath());
                if (ProvidesPlatform(plugin.metaData(), platform) && plugin.load()) return name;
            }
        }
    }
    return "";
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
    if (!DisplayAvailable()) {
        std::fputs("varnelfilesync: no display to open a window on; running headless\n", stderr);
        return RunHeadless(argumentText, programFolder);
    }
    // Qt aborts the program when it cannot load a platform plugin, so the plugin is looked
    // for first: the platform plugins are a package of their own, which may be missing.
    const PlatformChoice choice = ChoosePlatform(ProcessEnvironment);
    const std::string platform = LoadablePlatform(
        choice.names, PlatformPluginFolders(ProcessEnvironment, ExecutableFolder()));
    if (platform.empty()) {
        std::fprintf(stderr,
                     "varnelfilesync: the window's platform plugin (%s) is not installed or "
                     "does not load; running headless\n",
                     Joined(choice.names, " or ").c_str());
        return RunHeadless(argumentText, programFolder);
    }
    // Qt takes the plugin found here, not its own first guess for the session.
    if (!choice.named) setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
    return RunWindowed(argumentText, programFolder, argc, argv);
}

}  // namespace vfs::app
