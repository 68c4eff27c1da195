// Page switch of the main window and the path page's layout with or without the extended
// folders (Text, Video and Serial rows).
#pragma once

#include "engine/context.h"

namespace vfs {

// Shows page index (0..3): its frame visible, its tab raised, bold and disabled.
void cmdPage_Click(Context& ctx, int index);
// Stores the flag in ExtendedFolders, lays out the path page for it and re-validates.
void ApplyExtendedFolders(Context& ctx, bool flag);
void chkExtendedPaths_Click(Context& ctx);

}  // namespace vfs
