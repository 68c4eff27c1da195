#include "engine/transfer_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/activity_log.h"

namespace vfs {

namespace {

constexpr int64_t kDayMs = 24LL * 60 * 60 * 1000;
// The pace is not told before the run has copied for this long: the first chunks say
// little about a share's speed.
constexpr int64_t kPaceKnownAfterMs = 1000;

int64_t DoneBytes(const TransferProgress& p) {
    return p.settledBytes + p.currentDone;
}

// Milliseconds since the first task began; a midnight in between is allowed for.
int64_t ElapsedMs(const TransferProgress& p, int64_t nowMs) {
    if (p.startedMs < 0) return 0;
    const int64_t elapsed = nowMs - p.startedMs;
    return elapsed < 0 ? elapsed + kDayMs : elapsed;
}

std::string TimeLeftText(int64_t seconds) {
    if (seconds < 60) return "about " + std::to_string(std::max<int64_t>(seconds, 1)) + " s left";
    const int64_t minutes = (seconds + 30) / 60;
    if (minutes < 60) return "about " + std::to_string(minutes) + " min left";
    char text[48];
    std::snprintf(text, sizeof text, "about %lld h %02lld min left",
                  static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60));
    return text;
}

}  // namespace

void NoteQueuedBytes(Context& ctx, int64_t bytes) {
    TransferProgress& p = ctx.state.Transfer;
    p.queuedBytes += std::max<int64_t>(bytes, 0);
}

void StartTransferTask(Context& ctx, int64_t bytes) {
    TransferProgress& p = ctx.state.Transfer;
    if (p.startedMs < 0) p.startedMs = MsSinceMidnight(ctx);
    ++p.tasksBegun;
    p.currentTask = std::max<int64_t>(bytes, 0);
    p.currentDone = 0;
}

void NoteCopiedBytes(Context& ctx, int64_t bytes) {
    TransferProgress& p = ctx.state.Transfer;
    if (!p.countingCopy) return;
    p.currentDone = std::clamp<int64_t>(bytes, 0, p.currentTask);
}

void CountTaskCopy(Context& ctx, bool counting) {
    ctx.state.Transfer.countingCopy = counting;
    ctx.state.Transfer.currentDone = 0;
}

void SettleTransferTask(Context& ctx) {
    TransferProgress& p = ctx.state.Transfer;
    p.settledBytes += p.currentTask;
    p.currentTask = 0;
    p.currentDone = 0;
}

void ResetTransferProgress(Context& ctx) {
    ctx.state.Transfer = TransferProgress{};
}

std::string ReadableSize(int64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
    double value = static_cast<double>(bytes) / 1024.0;
    int unit = 0;
    while (value >= 1024.0 && unit < 3) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    if (value < 10.0) {
        std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
    } else {
        std::snprintf(text, sizeof text, "%.0f %s", value, kUnits[unit]);
    }
    return text;
}

std::string TransferProgressText(const TransferProgress& p, int32_t tasksQueued, int64_t nowMs) {
    std::string text = "Task " + std::to_string(p.tasksBegun) + " of " +
                       std::to_string(std::max(tasksQueued, p.tasksBegun));
    if (p.queuedBytes <= 0) return text;
    const int64_t done = DoneBytes(p);
    text += ", " + ReadableSize(done) + " of " + ReadableSize(p.queuedBytes);
    const int64_t elapsed = ElapsedMs(p, nowMs);
    if (elapsed >= kPaceKnownAfterMs && done > 0 && done < p.queuedBytes) {
        const double perMs = static_cast<double>(done) / static_cast<double>(elapsed);
        const auto seconds = static_cast<int64_t>(
            std::ceil(static_cast<double>(p.queuedBytes - done) / perMs / 1000.0));
        text += ", " + TimeLeftText(seconds);
    }
    return text;
}

// The bar by the task count: 1 for the first task of a run, 100 for the last of 100.
// Beyond 200 tasks the formula passes 100 and the bar keeps its value.
void ShowOverallTaskProgress(Context& ctx) {
    FormModel& f = ctx.form;
    const TransferProgress& p = ctx.state.Transfer;
    long value = 0;
    if (p.queuedBytes > 0) {
        value = std::lrint(100.0 * static_cast<double>(DoneBytes(p)) /
                           static_cast<double>(p.queuedBytes));
    } else {
        const long remaining = static_cast<long>(f.lstTasksToDo.ListCount());
        const int32_t queued = ctx.state.QueuedTaskCount;
        value = queued < 1 ? 0 : 101 - std::lrint(100.0 * remaining / queued);
    }
    f.pbOverall.SetValue(value);
    std::string caption =
        "Overall File Copy/Replace/Delete Progress " + std::to_string(f.pbOverall.Value()) + "%";
    if (p.tasksBegun > 0) {
        caption += " - " + TransferProgressText(p, ctx.state.QueuedTaskCount, MsSinceMidnight(ctx));
    }
    f.lblPbOverall.SetCaption(caption);
    if (!f.pbOverall.Visible()) {
        f.pbOverall.SetVisible(true);
        f.lblPbOverall.SetVisible(true);
    }
}

}  // namespace vfs
