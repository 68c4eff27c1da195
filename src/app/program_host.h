// The program's life, shared by both front ends (the headless loop and the window): the
// program state, the form model, the ports, the 100 ms tick, the close logic and the exit
// status. A front end supplies how to wait for the next tick and how to let its events in
// during long work; everything the program decides is decided here or in the core.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/automation_settings.h"
#include "engine/context.h"
#include "platform/instance_lock.h"

namespace vfs::app {

// Exit statuses of the program.
inline constexpr int kExitNormal = 0;
inline constexpr int kExitRunFailed = 1;
inline constexpr int kExitFilesUnusable = 2;
inline constexpr int kExitAlreadyRunning = 3;

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

class ProgramHost {
  public:
    ProgramHost();
    ProgramHost(const ProgramHost&) = delete;
    ProgramHost& operator=(const ProgramHost&) = delete;

    Context& ctx() { return ctx_; }
    ProgramState& state() { return state_; }
    FormModel& form() { return form_; }
    Ports& ports() { return ports_; }

    // Start-up. False when the session is running already or its files cannot be used:
    // the exit status says which, and nothing else may happen.
    bool Load(const std::string& argumentText);

    // One turn of the main loop: close signals, the tick when it is due, and the unload of
    // a close that waited for a copy to stop.
    void Turn();
    int64_t NextDeadline() const { return schedule_.NextDeadline(); }

    // Long work lets the front end's events in through the yield port; inside it the run
    // guards keep a nested tick from starting a task or a run, and an unload cannot return.
    void Nested(const std::function<void()>& pumpEvents);
    // The headless front end's yield: signals and the tick, nothing else to pump.
    void HeadlessYield();

    // A close request with its reason (0 close box, 1 the program, 2 session ending).
    void RequestClose(int reason);
    void HandleCloseSignals();

    bool Unloaded() const { return unloaded_; }
    int ExitStatus() const { return exitStatus_; }
    // Called once the unload sequence has run (the window closes itself then).
    std::function<void()> onUnloaded = [] {};

  private:
    void RunDueTick();
    void UnloadOnceCopyStopped();
    void Unload();

    ProgramState state_;
    FormModel form_;
    Ports ports_;
    Context ctx_{state_, form_, ports_};
    SystemAutomationSettingsStore automationSettings_;
    platform::InstanceLock lock_;
    TickSchedule schedule_;
    bool timerEnabled_ = true;
    bool closeAgreed_ = false;  // the close request went ahead; the unload may wait for a copy
    bool unloaded_ = false;
    int depth_ = 0;
    int handledSignals_ = 0;
    int exitStatus_ = kExitNormal;
};

}  // namespace vfs::app
