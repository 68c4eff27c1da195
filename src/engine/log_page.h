// Handlers of the activity-log page and of the message window.
#pragma once

#include "engine/context.h"

namespace vfs {

// Empties the completed list; the queue and the task log file stay as they are.
void btnClearList_Click(Context& ctx);
// New limit of the completed list: 500 per list position; it takes effect with the next line.
void cboMaxLogItems_Click(Context& ctx);
// Shows the selected line in full in the message window.
void lstTasksToDo_DblClick(Context& ctx);
void lstCompletedTasks_DblClick(Context& ctx);
// Lists the records of the diagnostic file "PLog.dat" of the state folder.
void cmdTestLoad_Click(Context& ctx);
// OK of the message window.
void btnOK_Click(Context& ctx);

}  // namespace vfs
