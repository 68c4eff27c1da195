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

// Nanoseconds on a clock that never jumps (not the time of day).
int64_t MonotonicNs();
// Waits until the monotonic clock reaches the deadline; returns early on a close request.
void WaitUntil(int64_t deadlineNs);
// A plain pause of the thread: close requests are counted and handled afterwards.
void PauseMs(int milliseconds);

}  // namespace vfs::platform
