// The life of the main window: the command line, start-up (the load handler), the close
// request and the unload sequence. The window and the headless program both drive these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/context.h"
#include "platform/instance_lock.h"

namespace vfs {

// The fixed text a running instance of a session is known by; the session suffix follows it.
inline constexpr const char* kInstanceMarker =
    "1823548176253847126384152384651283674587_VARNEL_FILE_SYNC_STRSESSION=_"
    "1823548176253847126384152384651283674587";

// Close reasons handed to the close request.
inline constexpr int kCloseByUser = 0;
inline constexpr int kCloseByProgram = 1;
inline constexpr int kCloseSessionEnding = 2;
inline constexpr int kCloseByTaskManager = 3;

struct CommandLine {
    std::string SessionSuffix;  // "" or "2".."9"
    bool SyncAndExit = false;
    bool Headless = false;
    bool Preview = false;  // scan and show the tasks, change nothing
};

// The arguments joined with blanks, as the program always saw its command line.
std::string JoinArguments(int argc, const char* const* argv);
// The whole text upper-cased and searched as plain text, no tokens: session n for the first
// n of 2..9 with "SESSION=n" or "SESSION:n" anywhere, SYNCANDEXIT, HEADLESS and PREVIEW anywhere.
CommandLine ParseCommandLine(const std::string& argumentText);

// The texts of the box a second instance of a session shows before it ends.
std::string AlreadyRunningTitle(const std::string& sessionSuffix);
std::string AlreadyRunningText(const std::string& sessionSuffix);

enum class LoadResult { Loaded, AlreadyRunning, RecordUnusable };

// The main window's load handler. With AlreadyRunning the box has been shown and nothing
// was read or written: the program ends at once, without close request or unload. The same
// with RecordUnusable, when the settings file or the state-file folder cannot be used.
LoadResult FormLoad(Context& ctx, const std::string& argumentText, platform::InstanceLock& lock);

// The close request with its reason code; true when the close goes ahead.
bool QueryUnload(Context& ctx, int reason);

// The unload sequence; it begins by calling stopTimer, which stops the main timer, so no
// tick runs while the program is taken down. The process ends after it.
void FormUnload(Context& ctx, platform::InstanceLock& lock, const std::function<void()>& stopTimer);

}  // namespace vfs
