#include "platform/process_events.h"

#include <atomic>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

std::atomic<int> g_closeRequests{0};
// Set by a close request, so a wait of the main loop ends at once.
HANDLE g_wake = nullptr;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
        case CTRL_LOGOFF_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            g_closeRequests.fetch_add(1);
            if (g_wake != nullptr) SetEvent(g_wake);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void WatchCloseRequests() {
    if (g_wake == nullptr) g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
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
