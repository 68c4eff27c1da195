// The scan phase of a sync run: locks the controls that could change the run, checks the
// backup folder, hands every usable folder pair to the scanner in the fixed category order
// while driving the overall progress bar, and then either closes the run at once (nothing
// to do) or leaves the queued tasks to the main timer.
#pragma once

#include <cstdint>

#include "engine/context.h"

namespace vfs {

// Copy and scan pauses (ms) a run uses for a speed-list position (-1: none selected).
struct RunPauses {
    int32_t copyMs;
    int32_t syncMs;
};
RunPauses RunSpeedPauses(int position);

// The overall bar's value before audio row i of m rows: 20 for the first row, 97 for the
// last; with a single row there is no such value and the bar keeps what it shows (-1).
long AudioRowProgress(std::size_t row, std::size_t rowCount);

void RunSync(Context& ctx);
void cmdRun_Click(Context& ctx);

}  // namespace vfs
