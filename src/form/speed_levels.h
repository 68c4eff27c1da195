// The sync speed levels of cboSyncSpeed, each described once: its list text and the pauses
// it stands for. Choosing a level sets one pair of pauses; a run starts from a pair of its
// own, shorter ones. A new level is a new row here.
#pragma once

#include <array>
#include <cstdint>

namespace vfs {

// Pauses in milliseconds: after each copy step, and between the files of a scan.
struct SpeedPauses {
    int32_t copyMs;
    int32_t syncMs;
};

struct SpeedLevel {
    const char* listText;
    SpeedPauses onSelection;
    SpeedPauses duringRun;
};

// From the fastest to the slowest; the list shows them in this order.
inline constexpr std::array<SpeedLevel, 5> kSpeedLevels = {{
    {"High (Most CPU & Disk Usage)", {0, 0}, {0, 0}},
    {"Med/High (Above Avg. CPU & Disk Usage)", {3, 6}, {3, 6}},
    {"Medium (Average CPU & Disk Usage)", {7, 15}, {5, 10}},
    {"Med/Low (Below Avg. CPU & Disk Usage)", {25, 50}, {10, 20}},
    {"Low (Least CPU & Disk Usage)", {40, 100}, {25, 50}},
}};

// The pauses with no level selected (list position -1), as for the middle level.
inline constexpr SpeedLevel kNoSpeedLevel = {nullptr, {7, 15}, {5, 10}};

// The level at a list position; kNoSpeedLevel for -1 or any other position off the list.
inline const SpeedLevel& SpeedLevelAt(int position) {
    if (position < 0 || position >= static_cast<int>(kSpeedLevels.size())) return kNoSpeedLevel;
    return kSpeedLevels[static_cast<std::size_t>(position)];
}

// Pauses set when the operator picks the level at that position.
inline SpeedPauses OnSelectionPauses(int position) {
    return SpeedLevelAt(position).onSelection;
}

// Pauses a run starts with at that position.
inline SpeedPauses RunSpeedPauses(int position) {
    return SpeedLevelAt(position).duringRun;
}

// The list position a stored copy pause stands for: the fastest level whose own copy pause
// is at least as long, the slowest level beyond them all.
inline int SpeedPositionFor(int32_t sleepTimeCopy) {
    const int last = static_cast<int>(kSpeedLevels.size()) - 1;
    for (int position = 0; position < last; ++position) {
        if (sleepTimeCopy <= kSpeedLevels[static_cast<std::size_t>(position)].onSelection.copyMs)
            return position;
    }
    return last;
}

}  // namespace vfs
