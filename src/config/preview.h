// The preview in the window: the same scan as a sync and as PREVIEW on the command line,
// reporting the tasks it would queue with their reasons and changing nothing; the operator
// then starts the sync or leaves it.
#pragma once

#include "engine/context.h"

namespace vfs {

// The Preview button: shows the activity log, scans every usable pair as a preview, and
// asks whether to sync now. Nothing happens while a run is under way.
void cmdPreview_Click(Context& ctx);

}  // namespace vfs
