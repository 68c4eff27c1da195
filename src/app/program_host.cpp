#include "app/program_host.h"

#include <cstdio>
#include <cstdlib>

#include "config/due_check.h"
#include "config/startup.h"
#include "engine/copy_progress.h"
#include "engine/task_execution.h"
#include "platform/debug_output.h"
#include "platform/file_system.h"
#include "platform/process_events.h"

namespace vfs::app {

bool TickSchedule::TakeDue(int64_t nowNs) {
    if (nowNs < next_) return false;
    next_ += kPeriodNs;
    if (next_ <= nowNs) next_ = nowNs + kPeriodNs;
    return true;
}

ProgramHost::ProgramHost() : schedule_(platform::MonotonicNs()) {
    ports_.programFolder = platform::ExecutableFolder();
    ports_.automationSettings = &automationSettings_;
    ports_.sleep = platform::PauseMs;
    ports_.debug = platform::DebugOutput;
    ports_.closeMainWindow = [this](int reason) { RequestClose(reason); };
}

bool ProgramHost::Load(const std::string& argumentText) {
    switch (FormLoad(ctx_, argumentText, lock_)) {
        case LoadResult::AlreadyRunning:
            exitStatus_ = kExitAlreadyRunning;
            return false;
        case LoadResult::RecordUnusable:
            exitStatus_ = kExitFilesUnusable;
            return false;
        case LoadResult::Loaded:
            break;
    }
    schedule_ = TickSchedule(platform::MonotonicNs());
    return true;
}

void ProgramHost::Turn() {
    HandleCloseSignals();
    UnloadOnceCopyStopped();
    if (unloaded_) return;
    RunDueTick();
    UnloadOnceCopyStopped();
}

void ProgramHost::Nested(const std::function<void()>& pumpEvents) {
    ++depth_;
    pumpEvents();
    --depth_;
}

void ProgramHost::HeadlessYield() {
    Nested([this] {
        HandleCloseSignals();
        RunDueTick();
    });
}

void ProgramHost::RunDueTick() {
    if (!timerEnabled_ || !schedule_.TakeDue(platform::MonotonicNs())) return;
    tmrMain_Timer(ctx_, [this] { DueCheck(ctx_); });
}

void ProgramHost::HandleCloseSignals() {
    while (handledSignals_ < platform::CloseRequestCount() && !unloaded_) {
        ++handledSignals_;
        // Only a second signal cuts work off. A sync-and-exit run has asked for the exit
        // already, which would let the first one through at once: that wish is put aside
        // here, and the close request sets it again when it waits for the work.
        if (handledSignals_ == 1) state_.ExitRequested = false;
        // The system ends the process within seconds of some requests: there is no time to
        // finish the work, only to stop it and save as a normal close does.
        if (platform::CloseMustNotWait()) state_.ExitRequested = true;
        RequestClose(kCloseSessionEnding);
    }
}

void ProgramHost::RequestClose(int reason) {
    if (unloaded_) return;
    if (!closeAgreed_ && !QueryUnload(ctx_, reason)) return;
    closeAgreed_ = true;
    // Ending inside a copy would leave its temporary file in the destination folder. The
    // copy is told to stop instead; it removes that file, the task is reported as failed,
    // and the program unloads as soon as the copy has returned.
    if (depth_ > 0 && state_.CopyInProgress) {
        CancelCopy(ctx_);
        return;
    }
    Unload();
}

void ProgramHost::UnloadOnceCopyStopped() {
    if (closeAgreed_ && !unloaded_ && !state_.CopyInProgress) Unload();
}

// A close that cuts work off leaves it unfinished: that is no clean end either.
void ProgramHost::Unload() {
    const bool workCutOff =
        state_.SyncInProgress || state_.CopyInProgress || form_.lstTasksToDo.ListCount() > 0;
    FormUnload(ctx_, lock_, [this] { timerEnabled_ = false; });
    unloaded_ = true;
    exitStatus_ = (workCutOff || state_.RunHadFailure) ? kExitRunFailed : kExitNormal;
    // Inside long work there is no way back to the loop that would not go on with that
    // work; the settings are saved, so the program ends here.
    if (depth_ > 0) {
        std::fflush(nullptr);
        platform::ReportClosed();
        std::exit(exitStatus_);
    }
    onUnloaded();
    platform::ReportClosed();
}

}  // namespace vfs::app
