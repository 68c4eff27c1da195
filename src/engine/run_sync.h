// The scan phase of a sync run: locks the controls that could change the run, checks the
// backup folder, hands every usable folder pair to the scanner in the fixed category order
// while driving the overall progress bar, and then either closes the run at once (nothing
// to do) or leaves the queued tasks to the main timer.
#pragma once

#include <cstddef>

#include "engine/context.h"

namespace vfs {

// The overall bar's value before audio row i of m rows: 20 for the first row, 97 for the
// last; with a single row there is no such value and the bar keeps what it shows (-1).
long AudioRowProgress(std::size_t row, std::size_t rowCount);

void RunSync(Context& ctx);
void cmdRun_Click(Context& ctx);

}  // namespace vfs
