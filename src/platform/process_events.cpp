#include "platform/process_events.h"

#include <cerrno>
#include <csignal>
#include <ctime>

namespace vfs::platform {

namespace {

volatile std::sig_atomic_t g_closeSignals = 0;

extern "C" void OnCloseSignal(int) {
    g_closeSignals = g_closeSignals + 1;
}

}  // namespace

// Without SA_RESTART, so a signal wakes the loop out of its wait at once.
void WatchCloseRequests() {
    struct sigaction action {};
    action.sa_handler = OnCloseSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A reader that went away must not end the program in the middle of a sync.
    std::signal(SIGPIPE, SIG_IGN);
}

int CloseRequestCount() {
    return static_cast<int>(g_closeSignals);
}

// A signal handler returns at once and the process goes on to its close: nothing waits.
void ReportClosed() {}

// A stop signal leaves the program the time it needs.
bool CloseMustNotWait() {
    return false;
}

int64_t MonotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

void WaitUntil(int64_t deadlineNs) {
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(deadlineNs / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(deadlineNs % 1'000'000'000);
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr);
}

void PauseMs(int milliseconds) {
    if (milliseconds <= 0) return;
    timespec ts{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1'000'000};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

}  // namespace vfs::platform
