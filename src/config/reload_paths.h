// Filling the local side of every folder pair from the automation system's own settings,
// with the remote side cleared for the operator to choose.
#pragma once

#include <cstdint>

#include <string>

#include "engine/context.h"
#include "engine/file_helpers.h"

namespace vfs {

// Session 2..9 reads the fixed folders under "Varnel<session>", any other under "Varnel";
// the audio folders always come from "KVO". Ends with a validation of all paths. Writes
// nothing to the settings file. The automation system's defaults (C:\KVO32\...) are folders
// of a Windows installation and are used only where paths are Windows paths; elsewhere a
// missing key leaves its box empty, and when neither title is kept at all nothing is
// changed and the answer is false.
bool ReloadPaths(Context& ctx, int16_t session, PathStyle style = kNativeStyle);

// "No Varnel settings found in <place> (<entries>): the paths were left as they are".
std::string NoAutomationSettingsText(const Context& ctx, int16_t session);
// Puts that text in the status line and both logs; at start-up (notice) also tells the
// operator directly (standard error when headless).
void ReportNoAutomationSettings(Context& ctx, int16_t session, bool notice);

// The "Reload Paths from Varnel" button: asks first, reloads only on Yes.
void cmdLoadPaths_Click(Context& ctx);

}  // namespace vfs
