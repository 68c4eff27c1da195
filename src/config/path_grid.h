// The path page's grid as model operations: the link indicators of the fixed categories
// (imgPathLink) and of the audio rows (imgLineLink), their validation, the operator's
// toggles, and adding, deleting, selecting and scrolling audio rows.
//
// An indicator's tag is the pair's state: "1" usable, "-1" a path is missing, unreachable or
// not chosen yet, "0" switched off by the operator. Its picture is one of the template
// pictures named below.
#pragma once

#include <string>

#include "engine/context.h"

namespace vfs {

inline constexpr const char* kPathLinkActive = "imgPathLinkActive";
inline constexpr const char* kPathLinkError = "imgPathLinkError";
inline constexpr const char* kPathLinkDisabled = "imgPathLinkDisabled";
inline constexpr const char* kPathLinkScanning = "imgPathLinkScanning";
inline constexpr const char* kLineLinkActive = "imgLineLinkActive";
inline constexpr const char* kLineLinkError = "imgLineLinkError";
inline constexpr const char* kLineLinkDisabled = "imgLineLinkDisabled";
inline constexpr const char* kLineLinkScanning = "imgLineLinkScanning";

inline constexpr const char* kTagActive = "1";
inline constexpr const char* kTagError = "-1";
inline constexpr const char* kTagDisabled = "0";

// The remote entry of an audio row whose remote folder has not been chosen yet.
inline constexpr const char* kNotSpecified = "<Not Specified>";

// An entry that names a folder the operator has actually chosen (not empty, not the
// "<Not Specified>" placeholder).
inline bool IsChosenEntry(const std::string& entry) {
    return !entry.empty() && entry != kNotSpecified;
}

// Vertical distance between two audio indicators, in twips.
inline constexpr int kLineLinkPitch = 195;

// The category name of audio row `row` (from 0), as messages and state files know it.
std::string AudioCategoryName(int row);

// The tag read as a number, as the enable switch is read: zero (or no number) is off.
long IndicatorTagValue(const std::string& tag);

// Re-evaluates every indicator from the current paths.
void ValidatePaths(Context& ctx);
// Both folders of the category (0..6) exist; any other index is false.
bool ValidatePath(Context& ctx, int category);
// The audio pair of that row is usable: both entries present, chosen and existing.
bool ValidateAudioPath(Context& ctx, int row);

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
