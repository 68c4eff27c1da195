// How far the queued tasks of a run have come, in tasks and in bytes, and how long the rest
// will take at the pace the run has kept so far: what the overall bar and its label show
// while the queue is worked off.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"

namespace vfs {

// A task was queued; `bytes` is what it will copy (0 for a delete).
void NoteQueuedBytes(Context& ctx, int64_t bytes);
// The head task starts; `bytes` is what it will copy.
void StartTransferTask(Context& ctx, int64_t bytes);
// The running copy has moved this many bytes of its file (counted only while the task's own
// copy runs, see CountTaskCopy; a backup's copy is not the task's progress).
void NoteCopiedBytes(Context& ctx, int64_t bytes);
void CountTaskCopy(Context& ctx, bool counting);
// The head task ended, whatever its outcome: its bytes count as dealt with.
void SettleTransferTask(Context& ctx);
// A run's queue is worked off: the next run counts afresh.
void ResetTransferProgress(Context& ctx);

// "Task 3 of 8, 180 MB of 400 MB, about 2 min left": the tasks begun, the bytes dealt with
// and the time left at the run's pace so far (once the pace is known). Bytes and time are
// left out of a run that copies nothing.
std::string TransferProgressText(const TransferProgress& progress, int32_t tasksQueued,
                                 int64_t nowMs);
// Sizes as an operator reads them: "512 B", "1.5 KB", "180 MB", "2.3 GB".
std::string ReadableSize(int64_t bytes);

// The overall bar and its label while tasks run. The bar follows the bytes where the run
// copies any (a task count says little when two large files are still to copy), and the
// task count otherwise.
void ShowOverallTaskProgress(Context& ctx);

}  // namespace vfs
