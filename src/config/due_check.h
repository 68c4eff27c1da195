// The due rule, run on every tick of the main timer after its task step: closes the
// program once it is idle after an exit was asked for, starts a cycle or start-up sync
// when one is due, and shows when the next one will run.
#pragma once

#include "engine/context.h"

namespace vfs {

void DueCheck(Context& ctx);
// The start of a timed run: the start-up sync counts as done, the run is marked as under
// way before anything can yield, the controls are locked, then the scan phase runs.
void StartAutomaticRun(Context& ctx);

}  // namespace vfs
