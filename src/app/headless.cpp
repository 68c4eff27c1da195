#include "app/headless.h"

#include <syslog.h>

#include <cstdio>
#include <ctime>

#include "app/program_host.h"

namespace vfs::app {

namespace {

// Returns early when a signal arrives.
void WaitUntil(int64_t deadlineNs) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadlineNs / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(deadlineNs % 1'000'000'000);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

std::string ForTerminal(std::string text) {
    for (std::size_t pos; (pos = text.find("\r\n")) != std::string::npos;)
        text.erase(pos, 1);
    return text;
}

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

void PrintMessage(const std::string& title, const std::string& message) {
    PrintLine(stderr, ForTerminal(title + ": " + message));
}

void SetUpHeadlessPorts(ProgramHost& host) {
    Ports& ports = host.ports();
    ports.yield = [&host] { host.HeadlessYield(); };
    ports.messageBox = [](const std::string& title, const std::string& text,
                          MessageBoxButtons buttons) {
        PrintMessage(title, text);
        return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
    };
    ports.promptShown = PrintMessage;
    ports.operatorNotice = [](const std::string& text) { PrintLine(stderr, text); };
    ports.completedLineAdded = [](const std::string& line) { PrintLine(stdout, line); };
}

}  // namespace

int RunHeadless(const std::string& argumentText, const std::string& programFolder) {
    openlog("varnelfilesync", LOG_PID, LOG_USER);
    ProgramHost host;
    host.ports().programFolder = programFolder;
    SetUpHeadlessPorts(host);
    InstallCloseSignalHandlers();
    if (host.Load(argumentText)) {
        while (!host.Unloaded()) {
            host.Turn();
            if (host.Unloaded()) break;
            WaitUntil(host.NextDeadline());
        }
    }
    closelog();
    return host.ExitStatus();
}

}  // namespace vfs::app
