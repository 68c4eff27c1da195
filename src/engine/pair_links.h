// The link indicators of the folder pairs: imgPathLink for the fixed categories and
// imgLineLink for the audio rows, and their validation against the folders on disk. The
// scan reads them to decide which pairs take part; the path page's handlers set them.
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

// The tag values as numbers, as IndicatorTagValue reads them.
inline constexpr long kTagValueActive = 1;
inline constexpr long kTagValueError = -1;

// The remote entry of an audio row whose remote folder has not been chosen yet.
inline constexpr const char* kNotSpecified = "<Not Specified>";

// An entry that names a folder the operator has actually chosen (not empty, not the
// "<Not Specified>" placeholder).
inline bool IsChosenEntry(const std::string& entry) {
    return !entry.empty() && entry != kNotSpecified;
}

// The tag read as a number, as the enable switch is read: zero (or no number) is off.
long IndicatorTagValue(const std::string& tag);
// The operator has not switched the pair off.
bool IsLinkEnabled(const Picture& indicator);

// What an indicator shows: its picture and its tag go together.
enum class LinkState { Active, Error, Disabled };
void ShowPathLink(Picture& indicator, LinkState state);
void ShowLineLink(Picture& indicator, LinkState state);

// The audio rows that can have an indicator: MaxAudioPaths, within the fifty indicators.
int AudioRowLimit(const Context& ctx);

// Re-evaluates every indicator from the current paths.
void ValidatePaths(Context& ctx);
// Both folders of the category (0 .. kCategoryCount - 1) exist; any other index is false.
bool ValidatePath(Context& ctx, int category);
// The audio pair of that row is usable: both entries present, chosen and existing.
bool ValidateAudioPath(Context& ctx, int row);

}  // namespace vfs
