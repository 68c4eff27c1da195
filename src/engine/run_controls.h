// The controls that could change a run while it is under way: locked when a run starts,
// handed back when it closes (or is cancelled before scanning).
#pragma once

#include "engine/context.h"

namespace vfs {

// cmdRun disabled and hidden; the path-loading, auto-sync, extended-folder and backup
// option controls disabled; the scanning icon shown; the path frame disabled.
void LockRunControls(Context& ctx);

// Everything LockRunControls took away given back, plus frmSettings enabled and the
// scanning icon box hidden.
void HandBackControls(Context& ctx);

}  // namespace vfs
