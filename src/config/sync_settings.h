// Settings-page controls of the sync cycle, auto-sync, copy/sync speed and priority.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"

namespace vfs {

// Milliseconds as "[HH:]MM:SS": 300000 -> "05:00", 3600000 -> "01:00:00"; 0 or less -> "00:00".
std::string FormatMsAsTime(int32_t ms);

// Positions both cycle lists on a cycle value and runs their handlers; a value that is not
// one of the lists' values leaves the lists and SyncCycle as they are.
void SetSyncCycleLists(Context& ctx, int32_t cycleMs);
void lstSyncCycle_Click(Context& ctx);
void cboSyncCycle_Click(Context& ctx);

void btnAutoSync_Click(Context& ctx);
void chkAutoSync_Click(Context& ctx);
// The auto-sync button's pictures and tool tip and chkAutoSync for the given state.
void ShowAutoSyncState(Context& ctx, bool on);

// Sets the pauses of the speed level chosen in cboSyncSpeed (form/speed_levels.h).
void cboSyncSpeed_Click(Context& ctx);

void cboPriority_Click(Context& ctx);

}  // namespace vfs
