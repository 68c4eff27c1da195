#include "app/headless.h"

#include <cstdio>
#include <cstdlib>

#include "config/automation_settings.h"
#include "config/due_check.h"
#include "config/startup.h"
#include "engine/context.h"
#include "engine/copy_progress.h"
#include "engine/task_execution.h"
#include "platform/debug_output.h"
#include "platform/file_system.h"
#include "platform/instance_lock.h"
#include "platform/process_events.h"

namespace vfs::app {

namespace {

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

class HeadlessProgram {
  public:
    HeadlessProgram() : schedule_(platform::MonotonicNs()) { SetUpPorts(); }

    int Run(const std::string& argumentText) {
        platform::WatchCloseRequests();
        switch (FormLoad(ctx_, argumentText, lock_)) {
            case LoadResult::AlreadyRunning:
                return kExitAlreadyRunning;
            case LoadResult::RecordUnusable:
                return kExitFilesUnusable;
            case LoadResult::Loaded:
                break;
        }
        schedule_ = TickSchedule(platform::MonotonicNs());
        while (!unloaded_) {
            HandleCloseSignals();
            UnloadOnceCopyStopped();
            if (unloaded_) break;
            platform::WaitUntil(schedule_.NextDeadline());
            RunDueTick();
            UnloadOnceCopyStopped();
        }
        return exitStatus_;
    }

  private:
    void SetUpPorts() {
        ports_.programFolder = platform::ExecutableFolder();
        ports_.automationSettings = &automationSettings_;
        ports_.sleep = platform::PauseMs;
        ports_.yield = [this] { Yield(); };
        ports_.debug = platform::DebugOutput;
        ports_.messageBox = [](const std::string& title, const std::string& text,
                               MessageBoxButtons buttons) {
            PrintMessage(title, text);
            return buttons == MessageBoxButtons::Ok ? MessageBoxAnswer::Ok : MessageBoxAnswer::No;
        };
        ports_.promptShown = PrintMessage;
        ports_.completedLineAdded = [](const std::string& line) { PrintLine(stdout, line); };
        ports_.closeMainWindow = [this](int reason) { RequestClose(reason); };
    }

    // The event loop's one turn inside long work: signals, and the tick when it is due.
    // The run guards keep a nested tick from starting a task or a run.
    void Yield() {
        ++depth_;
        HandleCloseSignals();
        RunDueTick();
        --depth_;
    }

    void RunDueTick() {
        if (!timerEnabled_ || !schedule_.TakeDue(platform::MonotonicNs())) return;
        tmrMain_Timer(ctx_, [this] { DueCheck(ctx_); });
    }

    void HandleCloseSignals() {
        while (handledSignals_ < platform::CloseRequestCount() && !unloaded_) {
            ++handledSignals_;
            // Only a second signal cuts work off. A sync-and-exit run has asked for the exit
            // already, which would let the first one through at once: that wish is put aside
            // here, and the close request sets it again when it waits for the work.
            if (handledSignals_ == 1) state_.ExitRequested = false;
            RequestClose(kCloseSessionEnding);
        }
    }

    void RequestClose(int reason) {
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

    void UnloadOnceCopyStopped() {
        if (closeAgreed_ && !unloaded_ && !state_.CopyInProgress) Unload();
    }

    // A close that cuts work off leaves it unfinished: that is no clean end either.
    void Unload() {
        const bool workCutOff =
            state_.SyncInProgress || state_.CopyInProgress || form_.lstTasksToDo.ListCount() > 0;
        FormUnload(ctx_, lock_, [this] { timerEnabled_ = false; });
        unloaded_ = true;
        exitStatus_ = (workCutOff || state_.RunHadFailure) ? kExitRunFailed : kExitNormal;
        // Inside long work there is no way back to the loop that would not go on with that
        // work; the settings are saved, so the program ends here.
        if (depth_ > 0) {
            std::fflush(nullptr);
            std::exit(exitStatus_);
        }
    }

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

}  // namespace

bool TickSchedule::TakeDue(int64_t nowNs) {
    if (nowNs < next_) return false;
    next_ += kPeriodNs;
    if (next_ <= nowNs) next_ = nowNs + kPeriodNs;
    return true;
}

int RunHeadless(const std::string& argumentText) {
    platform::OpenDebugOutput("varnelfilesync");
    HeadlessProgram program;
    const int status = program.Run(argumentText);
    platform::CloseDebugOutput();
    return status;
}

}  // namespace vfs::app
