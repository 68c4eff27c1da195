// What a run came to, told where the operator looks: the counts in the line that closes the
// run, and a pair's indicator while its last scan stopped.
#pragma once

#include <string>

#include "engine/context.h"

namespace vfs {

// The tooltip of a configured pair whose folders could not be reached.
inline constexpr const char* kUnreachableAdvice =
    "Path Unreachable or Invalid: check that both folders exist and can be reached (a share "
    "mounted, a disk attached); the pair is tried again at the next sync";

// A new run starts counting from nothing.
void StartRunTally(Context& ctx);

// A pair's scan stopped (a safety check, an error) or could not reach a folder. The pair
// keeps the error look, with `advice` in its tooltip, until it scans well again.
void NotePairStopped(Context& ctx, const std::string& category, const std::string& advice);
void NotePairUnreachable(Context& ctx, const std::string& category, const std::string& advice);
// A pair whose folders could not be reached: logged, and where both of its paths were given
// (`configured`) a failed run, a problem line and an unreachable pair; a pair the operator
// never set up is neither. Answers the indicator's tooltip.
std::string ReportUnreachablePair(Context& ctx, const std::string& category,
                                  const std::string& line, bool configured);
// A pair is about to be scanned: what its last scan found no longer counts.
void ForgetPairTrouble(Context& ctx, const std::string& category);
// What the pair's indicator says while its last scan stopped; empty for a healthy pair.
std::string PairTrouble(const Context& ctx, const std::string& category);

// "12 Tasks Done, 1 Failed, 1 Pair Stopped": the counts of a run in which something failed,
// stopped or was edited on both sides; empty for a run without any of those.
std::string RunSummary(const RunTally& tally);

// The closing line of a run, its `ending` ("Finished File Sync" or "Finished File Sync: No
// Files To Sync") as it stands for a run that went well, and with the summary in its place
// (after "No Files To Sync") otherwise: in the status line and both logs, and, where
// something failed or stopped, to the port for that.
void ReportRunEnd(Context& ctx, const std::string& ending, bool tasksQueued);

}  // namespace vfs
