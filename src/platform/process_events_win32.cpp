#include "platform/process_events.h"

#include <atomic>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

std::atomic<int> g_closeRequests{0};
std::atomic<bool> g_closeMustNotWait{false};
// Set by a close request, so a wait of the main loop ends at once.
HANDLE g_wake = nullptr;
// Set once the program has closed (its settings saved): the system may end it from then on.
HANDLE g_closed = nullptr;

// How long a handler may hold the system back before it ends the process anyway: 5 seconds
// for a console window that is closed, 20 for a logoff or shutdown. The wait stops a little
// short of that, so the handler's own return is what ends the process.
constexpr DWORD kCloseWaitMs = 4500;
constexpr DWORD kSessionEndWaitMs = 19000;

// Runs on a thread of its own that the system starts for the event. Ctrl+C and Ctrl+Break
// leave the process running, so the program closes at its own pace. A closed console, a
// logoff or a shutdown end the process as soon as the handler returns: the handler waits for
// the close to finish, so the settings are saved as a normal close saves them.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    return AnswerConsoleEvent(event);
}

}  // namespace

int AnswerConsoleEvent(unsigned long event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            g_closeRequests.fetch_add(1);
            if (g_wake != nullptr) SetEvent(g_wake);
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_closeMustNotWait = true;
            g_closeRequests.fetch_add(1);
            if (g_wake != nullptr) SetEvent(g_wake);
            if (g_closed != nullptr) {
                WaitForSingleObject(g_closed,
                                    event == CTRL_CLOSE_EVENT ? kCloseWaitMs : kSessionEndWaitMs);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

void WatchCloseRequests() {
    if (g_wake == nullptr) g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (g_closed == nullptr) g_closed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ReportClosed() {
    if (g_closed != nullptr) SetEvent(g_closed);
}

bool CloseMustNotWait() {
    return g_closeMustNotWait.load();
}

int CloseRequestCount() {
    return g_closeRequests.load();
}

int64_t MonotonicNs() {
    LARGE_INTEGER frequency{};
    LARGE_INTEGER now{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    const int64_t ticks = now.QuadPart;
    const int64_t perSecond = frequency.QuadPart;
    return (ticks / perSecond) * 1'000'000'000 + (ticks % perSecond) * 1'000'000'000 / perSecond;
}

void WaitUntil(int64_t deadlineNs) {
    const int64_t remaining = deadlineNs - MonotonicNs();
    if (remaining <= 0) return;
    // Rounded up, so the loop never wakes just before its deadline and spins.
    const auto milliseconds = static_cast<DWORD>((remaining + 999'999) / 1'000'000);
    if (g_wake != nullptr) {
        WaitForSingleObject(g_wake, milliseconds);
    } else {
        Sleep(milliseconds);
    }
}

void PauseMs(int milliseconds) {
    if (milliseconds > 0) Sleep(static_cast<DWORD>(milliseconds));
}

}  // namespace vfs::platform
