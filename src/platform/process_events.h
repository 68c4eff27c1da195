// The program's main loop and the system around it: requests to close the program (Ctrl+C,
// a stop signal, the console or the session closing), a monotonic clock, and waits that such
// a request cuts short.
#pragma once

#include <cstdint>

namespace vfs::platform {

// Starts counting close requests; from then on they no longer end the process at once. A
// reader of the output that went away does not end it either.
void WatchCloseRequests();
// How many close requests arrived since WatchCloseRequests.
int CloseRequestCount();
// Tells that the program has closed and saved what a close saves. Where the system ends the
// process once a close request has been answered (a Windows console window closed, a logoff,
// a shutdown), the answer waits for this, within the time the system allows.
void ReportClosed();
// Whether a close request came that the system follows by ending the process within seconds
// (the Windows console window closed, a logoff, a shutdown): work in progress is cut off
// then rather than finished first.
bool CloseMustNotWait();

#ifdef _WIN32
// What the program answers the console's events with (Ctrl+C, Ctrl+Break, the console window
// closed, logoff, shutdown), as the system calls it on a thread of its own. Tests call it
// directly, as no program can send the closing events to another.
int AnswerConsoleEvent(unsigned long event);
#endif

// Nanoseconds on a clock that never jumps (not the time of day).
int64_t MonotonicNs();
// Waits until the monotonic clock reaches the deadline; returns early on a close request.
void WaitUntil(int64_t deadlineNs);
// A plain pause of the thread: close requests are counted and handled afterwards.
void PauseMs(int milliseconds);

}  // namespace vfs::platform
