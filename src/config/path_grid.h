// The path page's grid as model operations: the operator's toggles of the link indicators,
// and adding, deleting, selecting and scrolling audio rows. The indicators themselves and
// their validation are the engine's (engine/pair_links.h), since the scan reads them too.
#pragma once

#include <string>

#include "engine/context.h"

namespace vfs {

// Vertical distance between two audio indicators, in twips.
inline constexpr int kLineLinkPitch = 195;

// The operator's switch of a category or audio row: off when on, on (and validated) when off.
void imgPathLink_Click(Context& ctx, int category);
void imgLineLink_Click(Context& ctx, int row);

// Deletes the selected audio row and discards the previous-sync state of that row and of
// every row behind it, whose numbers change.
void btnDeleteAudioPath_Click(Context& ctx);
// Appends an audio row with the chosen local folder and no remote folder yet.
void AddAudioRow(Context& ctx, const std::string& localFolder);
// Click and scroll on the local (localList = true) or remote audio list.
void lstAudioPaths_Click(Context& ctx, bool localList);
void lstAudioPaths_Scroll(Context& ctx, bool localList);

}  // namespace vfs
