#include "app/headless.h"

#include <cstdio>

#include "app/program_host.h"
#include "platform/console_text.h"
#include "platform/debug_output.h"
#include "platform/process_events.h"

namespace vfs::app {

namespace {

using platform::PrintLine;

std::string ForTerminal(std::string text) {
    for (std::size_t pos; (pos = text.find("\r\n")) != std::string::npos;)
        text.erase(pos, 1);
    return text;
}

void PrintMessage(const std::string& title, const std::string& message) {
    PrintLine(stderr, ForTerminal(title + ": " + message));
}

void SetUpHeadlessPorts(ProgramHost& host, bool quiet) {
    Ports& ports = host.ports();
    ports.yield = [&host] { host.HeadlessYield(); };
    ports.messageBox = [](const std::string& title, const std::string& text,
                          MessageBoxButtons buttons) {
        PrintMessage(title, text);
        return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
    };
    ports.promptShown = PrintMessage;
    ports.operatorNotice = [](const std::string& text) { PrintLine(stderr, text); };
    if (quiet) {
        ports.problemLineAdded = [](const std::string& line) { PrintLine(stdout, line); };
    } else {
        ports.completedLineAdded = [](const std::string& line) { PrintLine(stdout, line); };
    }
    ports.runWentWrong = [](const std::string& summary) {
        PrintLine(stderr, "varnelfilesync: " + summary);
    };
}

}  // namespace

int RunHeadless(const std::string& argumentText, const std::string& programFolder, bool quiet) {
    platform::OpenDebugOutput("varnelfilesync");
    ProgramHost host;
    host.ports().programFolder = programFolder;
    SetUpHeadlessPorts(host, quiet);
    platform::WatchCloseRequests();
    if (host.Load(argumentText)) {
        while (!host.Unloaded()) {
            host.Turn();
            if (host.Unloaded()) break;
            platform::WaitUntil(host.NextDeadline());
        }
    }
    platform::CloseDebugOutput();
    return host.ExitStatus();
}

}  // namespace vfs::app
