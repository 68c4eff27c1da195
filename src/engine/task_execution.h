// The execution phase of a sync run: the main timer's tick takes the head line of
// lstTasksToDo, carries it out with ExecuteTask and closes the run once the queue is empty.
#pragma once

#include <functional>
#include <string>

#include "engine/context.h"
#include "engine/task_view.h"

namespace vfs {

// Carries out one task line (copy, replace or delete, with a backup first when backups
// are on). The text is consumed while parsing, so callers pass a copy of the queued item.
// True when the task counts as done; every failure is reported here in the activity log.
// With the view the scan filed for the line, a task whose files or folders are no longer as
// the scan saw them is not carried out and counts as failed.
bool ExecuteTask(Context& ctx, std::string& taskLine, const TaskView* view = nullptr);

// One tick of tmrMain: the clock, at most one task under the guards, the closing of the
// run when the queue has become empty, then dueCheck() (when set) and the tray refresh.
void tmrMain_Timer(Context& ctx, const std::function<void()>& dueCheck);

// Closes a run whose queue has just become empty: the finished texts, counters and bars
// reset, the pending state files committed, the controls handed back.
void CloseRun(Context& ctx);

}  // namespace vfs
