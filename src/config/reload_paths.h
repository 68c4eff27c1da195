// Filling the local side of every folder pair from the automation system's own settings,
// with the remote side cleared for the operator to choose.
#pragma once

#include <cstdint>

#include "engine/context.h"

namespace vfs {

// Session 2..9 reads the fixed folders under "Varnel<session>", any other under "Varnel";
// the audio folders always come from "KVO". Ends with a validation of all paths. Writes
// nothing to the settings file.
void ReloadPaths(Context& ctx, int16_t session);

// The "Reload Paths from Varnel" button: asks first, reloads only on Yes.
void cmdLoadPaths_Click(Context& ctx);

}  // namespace vfs
