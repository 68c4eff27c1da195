// The activity log (the completed list), the daily task log files, the time stamp, the time
// of day and the message window.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"
#include "platform/clock.h"

namespace vfs {

// "HH:MM:SS" of a local time, and of the current time.
std::string FormatClock(const LocalDateTime& t);
std::string TimeStamp(const Context& ctx);
// Local time of day in milliseconds, 0 .. 86399999: the clock the run scheduling works with.
int32_t MsSinceMidnight(const Context& ctx);
// Month, day, year as eight digits: "12052026".
std::string FormatLogDate(const LocalDateTime& t);
// programFolder + "/VarnelFileSync Logs/", doubled separators collapsed.
std::string TaskLogFolder(const Context& ctx);

// The one way lines enter lstCompletedTasks: append, drop the oldest line when over
// MaxCompletedTasks, keep the newest lines in view when auto-scrolling (as many as the
// list's view shows in full, 15 without a view).
void AddCompletedLine(Context& ctx, const std::string& text);
// The completed list's view now shows this many lines in full (0: unknown). With Auto-Scroll
// on, a list that showed its newest line is scrolled so it shows it still.
void SetCompletedLinesInView(Context& ctx, int lines);
// Appends one CR LF line to today's task log file; every failure is silent.
void WriteTaskLog(Context& ctx, const std::string& text);
// Both logs: the task log file when chkLogToFile is ticked, then the completed list.
void LogLine(Context& ctx, const std::string& text);
// A line that tells of a failure or a stop: logged as LogLine logs it, and also handed to
// the port for such lines.
void LogProblem(Context& ctx, const std::string& text);
// The task log file only (when chkLogToFile is ticked); the list is still trimmed and
// scrolled as by an addition, without a line being added.
void LogToFileOnly(Context& ctx, const std::string& text);

// The message window: one at a time; a new one closes the open one first.
void ShowPrompt(Context& ctx, const std::string& message, const std::string& title);
void ClosePrompt(Context& ctx);

}  // namespace vfs
