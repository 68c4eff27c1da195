#include "engine/run_summary.h"

#include "engine/activity_log.h"

namespace vfs {

namespace {

std::string Count(int32_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

void Append(std::string& text, const std::string& part) {
    if (!text.empty()) text += ", ";
    text += part;
}

}  // namespace

void StartRunTally(Context& ctx) {
    ctx.state.Tally = RunTally{};
}

void NotePairStopped(Context& ctx, const std::string& category, const std::string& advice) {
    ++ctx.state.Tally.pairsStopped;
    ctx.state.PairTroubles[category] = advice;
}

void NotePairUnreachable(Context& ctx, const std::string& category, const std::string& advice) {
    ++ctx.state.Tally.pairsUnreachable;
    ctx.state.PairTroubles[category] = advice;
}

std::string ReportUnreachablePair(Context& ctx, const std::string& category,
                                  const std::string& line, bool configured) {
    if (!configured) {
        LogLine(ctx, line);
        return {};
    }
    ctx.state.RunHadFailure = true;
    LogProblem(ctx, line);
    NotePairUnreachable(ctx, category, kUnreachableAdvice);
    return kUnreachableAdvice;
}

void ForgetPairTrouble(Context& ctx, const std::string& category) {
    ctx.state.PairTroubles.erase(category);
}

std::string PairTrouble(const Context& ctx, const std::string& category) {
    const auto found = ctx.state.PairTroubles.find(category);
    return found == ctx.state.PairTroubles.end() ? std::string() : found->second;
}

std::string RunSummary(const RunTally& tally) {
    if (tally.tasksFailed == 0 && tally.pairsStopped == 0 && tally.pairsUnreachable == 0 &&
        tally.conflicts == 0 && tally.filesSkipped == 0) {
        return {};
    }
    std::string text;
    if (tally.tasksDone > 0 || tally.tasksFailed > 0) {
        Append(text, Count(tally.tasksDone, "Task Done", "Tasks Done"));
    }
    if (tally.tasksFailed > 0) Append(text, std::to_string(tally.tasksFailed) + " Failed");
    if (tally.pairsStopped > 0)
        Append(text, Count(tally.pairsStopped, "Pair Stopped", "Pairs Stopped"));
    if (tally.pairsUnreachable > 0) {
        Append(text, Count(tally.pairsUnreachable, "Pair Unreachable", "Pairs Unreachable"));
    }
    if (tally.filesSkipped > 0) {
        Append(text, Count(tally.filesSkipped, "File Skipped", "Files Skipped"));
    }
    if (tally.conflicts > 0) Append(text, Count(tally.conflicts, "Conflict", "Conflicts"));
    return text;
}

void ReportRunEnd(Context& ctx, const std::string& ending, bool tasksQueued) {
    const RunTally& tally = ctx.state.Tally;
    const std::string summary = RunSummary(tally);
    std::string text = ending;
    if (!summary.empty())
        text = tasksQueued ? "Finished File Sync: " + summary : ending + ", " + summary;
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + " - " + text);
    // A conflict is no failure, but an edit was overwritten: it is told like one.
    const bool wentWrong = !summary.empty();
    ctx.state.LastRunTrouble = wentWrong ? text : std::string();
    if (wentWrong) {
        LogProblem(ctx, TimeStamp(ctx) + " - Sync    " + text);
        ctx.ports.runWentWrong(text);
    } else {
        LogLine(ctx, TimeStamp(ctx) + " - Sync    " + text);
    }
}

}  // namespace vfs
