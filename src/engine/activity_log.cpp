#include "engine/activity_log.h"

#include <cstdio>

#include "engine/file_helpers.h"
#include "engine/text_helpers.h"
#include "platform/file_system.h"

namespace vfs {

namespace {

// Auto-scrolling keeps this many of the newest lines in view, unless the list's view says
// how many it shows in full: fonts and screens differ, and a newest line that is cut off
// is not in view.
constexpr std::size_t kCompletedLinesInView = 15;

std::size_t CompletedLinesInView(const ListBox& list) {
    return list.LinesInView() > 0 ? static_cast<std::size_t>(list.LinesInView())
                                  : kCompletedLinesInView;
}

void ScrollToNewest(Context& ctx) {
    ListBox& list = ctx.form.lstCompletedTasks;
    const std::size_t inView = CompletedLinesInView(list);
    if (ctx.form.chkAutoScroll.Checked() && list.ListCount() > inView) {
        list.SetTopIndex(static_cast<int>(list.ListCount() - inView));
    }
}

void TrimAndScroll(Context& ctx) {
    ListBox& list = ctx.form.lstCompletedTasks;
    if (static_cast<long>(list.ListCount()) > ctx.state.MaxCompletedTasks) list.RemoveFirst();
    ScrollToNewest(ctx);
}

}  // namespace

std::string FormatClock(const LocalDateTime& t) {
    // Every line of a scan starts with the clock: written straight into one short string
    // instead of three formatted pieces joined together.
    const auto inRange = [](int v) { return v >= 0 && v <= 99; };
    if (!inRange(t.hour) || !inRange(t.minute) || !inRange(t.second)) {
        return TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
    }
    std::string clock = "00:00:00";
    const int parts[3] = {t.hour, t.minute, t.second};
    for (int i = 0; i < 3; ++i) {
        clock[3 * i] = static_cast<char>('0' + parts[i] / 10);
        clock[3 * i + 1] = static_cast<char>('0' + parts[i] % 10);
    }
    return clock;
}

std::string TimeStamp(const Context& ctx) {
    return FormatClock(ctx.ports.now());
}

int32_t MsSinceMidnight(const Context& ctx) {
    constexpr int32_t kMsPerHour = 3600000;
    constexpr int32_t kMsPerMinute = 60000;
    constexpr int32_t kMsPerSecond = 1000;
    const LocalDateTime t = ctx.ports.now();
    return t.hour * kMsPerHour + t.minute * kMsPerMinute + t.second * kMsPerSecond + t.millisecond;
}

std::string FormatLogDate(const LocalDateTime& t) {
    return TwoDigits(t.month) + TwoDigits(t.day) + std::to_string(t.year);
}

std::string TaskLogFolder(const Context& ctx) {
    return CollapseDoubledSeparators(ctx.ports.programFolder + kSep + "VarnelFileSync Logs" + kSep);
}

void AddCompletedLine(Context& ctx, const std::string& text) {
    ctx.form.lstCompletedTasks.AddItem(text);
    TrimAndScroll(ctx);
    ctx.ports.completedLineAdded(text);
}

void WriteTaskLog(Context& ctx, const std::string& text) {
    // Without an absolute program folder the log folder would land in the file-system root
    // or in whatever the current directory happens to be.
    const std::string& program = ctx.ports.programFolder;
    if (!IsAbsoluteNative(program) || ctx.state.Preview) return;
    const std::string folder = TaskLogFolder(ctx);
    if (!FolderExists(folder)) platform::MakeDirectory(folder);
    // The day is taken now, so a run over midnight goes on in the next day's file.
    const std::string file = folder + "Task_Log_" + FormatLogDate(ctx.ports.now()) + ".txt";
    platform::AppendToFile(file, text + "\r\n");
}

void SetCompletedLinesInView(Context& ctx, int lines) {
    ListBox& list = ctx.form.lstCompletedTasks;
    const std::size_t before = CompletedLinesInView(list);
    const bool newestWasInView =
        static_cast<std::size_t>(list.TopIndex() < 0 ? 0 : list.TopIndex()) + before >=
        list.ListCount();
    list.SetLinesInView(lines);
    // A reader who scrolled back keeps the place; a view that followed the newest line goes
    // on following it.
    if (newestWasInView) ScrollToNewest(ctx);
}

void LogLine(Context& ctx, const std::string& text) {
    if (ctx.form.chkLogToFile.Checked()) WriteTaskLog(ctx, text);
    AddCompletedLine(ctx, text);
}

void LogProblem(Context& ctx, const std::string& text) {
    LogLine(ctx, text);
    ctx.ports.problemLineAdded(text);
}

void LogToFileOnly(Context& ctx, const std::string& text) {
    if (ctx.form.chkLogToFile.Checked()) WriteTaskLog(ctx, text);
    TrimAndScroll(ctx);
}

void ShowPrompt(Context& ctx, const std::string& message, const std::string& title) {
    if (ctx.state.PromptOpen) ClosePrompt(ctx);
    ctx.form.frmUserPrompt.SetCaption(title);
    ctx.form.lblMessage.SetCaption(message);
    ctx.form.frmUserPrompt.SetVisible(true);
    ctx.state.PromptOpen = true;
    // The prompt is never left hidden behind a minimised main window.
    ctx.state.MinimizedToTray = false;
    ctx.form.frmMain.SetVisible(true);
    ctx.ports.promptShown(title, message);
}

void ClosePrompt(Context& ctx) {
    ctx.form.frmUserPrompt.SetVisible(false);
    ctx.state.PromptOpen = false;
}

}  // namespace vfs
