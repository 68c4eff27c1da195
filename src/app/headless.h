// The program without a window: the same core and form model, driven by one 100 ms tick
// loop on the main thread. Completed-list lines go to standard output, messages for the
// operator to standard error; SIGINT and SIGTERM (on Windows Ctrl+C, Ctrl+Break and the
// console or session closing) ask the program to close.
#pragma once

#include <cstdint>
#include <string>

namespace vfs::app {

// Exit statuses of the program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitFilesUnusable = 2;
inline constexpr int kExitAlreadyRunning = 3;

// Runs the program to its end and answers the exit status.
int RunHeadless(const std::string& argumentText);

// Tick deadlines on the monotonic clock, in nanoseconds. Deadlines are absolute, so the
// work done in a tick does not stretch the period; ticks missed while the loop was held up
// (a long scan step, a pause) are dropped rather than run in a burst.
class TickSchedule {
  public:
    static constexpr int64_t kPeriodNs = 100'000'000;

    explicit TickSchedule(int64_t startNs) : next_(startNs + kPeriodNs) {}
    int64_t NextDeadline() const { return next_; }
    // True when a tick is due at time now; the deadline then moves on by one period.
    bool TakeDue(int64_t nowNs);

  private:
    int64_t next_;
};

}  // namespace vfs::app
