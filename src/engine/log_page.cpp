#include "engine/log_page.h"

#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>

#include "engine/activity_log.h"
#include "engine/file_helpers.h"
#include "engine/state_files.h"
#include "platform/file_system.h"

namespace vfs {

namespace {

// A double-click looks for the selection only among the lines that can be in view.
constexpr int kLinesSearchedFromTop = 21;

// The log-size list offers 500, 1000, ... lines; its first item and anything unselected
// keep the smallest size.
constexpr int32_t kLogItemsStep = 500;
constexpr int kLastLogItemsPosition = 9;

// Columns of a diagnostic record line: the end of the name, the date, the other-side flag.
constexpr std::size_t kNameShown = 49;
constexpr std::size_t kNameColumn = 50;
constexpr std::size_t kDateShown = 24;
constexpr std::size_t kDateColumn = 25;

// Position of the selected line among the lines searched from the top line; -1 when none.
int SelectedLineInView(const ListBox& list) {
    const int count = static_cast<int>(list.ListCount());
    const int top = list.TopIndex() < 0 ? 0 : list.TopIndex();
    for (int i = top; i < top + kLinesSearchedFromTop && i < count; ++i) {
        if (list.Selected(static_cast<std::size_t>(i))) return i;
    }
    return -1;
}

void ShowSelectedLine(Context& ctx, const ListBox& list, const std::string& titleEnd) {
    const int i = SelectedLineInView(list);
    if (i < 0) return;
    ShowPrompt(ctx, list.Item(static_cast<std::size_t>(i)),
               "Line " + std::to_string(i) + " " + titleEnd);
}

std::string PadRight(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::string LastChars(const std::string& text, std::size_t count) {
    return text.size() > count ? text.substr(text.size() - count) : text;
}

// Size text in bytes to whole kilobytes, halves to the even neighbour; 0 when not a number.
long long KilobytesOf(const std::string& sizeText) {
    const double bytes = std::strtod(sizeText.c_str(), nullptr);
    return std::llrint(bytes / 1024.0);
}

std::string RecordLine(const StateRecord& record) {
    return PadRight(LastChars(record.FileName, kNameShown), kNameColumn) +
           PadRight(record.dateText.substr(0, kDateShown), kDateColumn) +
           record.onOtherSideText.substr(0, 1) + "   " +
           std::to_string(KilobytesOf(record.sizeText)) + "Kb";
}

}  // namespace

void btnClearList_Click(Context& ctx) {
    ctx.form.SetFocus("txtFocus");
    ctx.form.lstCompletedTasks.Clear();
}

void cboMaxLogItems_Click(Context& ctx) {
    const int position = ctx.form.cboMaxLogItems.ListIndex();
    const bool larger = position >= 1 && position <= kLastLogItemsPosition;
    ctx.state.MaxCompletedTasks = larger ? kLogItemsStep * (position + 1) : kLogItemsStep;
}

void lstTasksToDo_DblClick(Context& ctx) {
    ShowSelectedLine(ctx, ctx.form.lstTasksToDo, "Task To Do Text");
}

void lstCompletedTasks_DblClick(Context& ctx) {
    ShowSelectedLine(ctx, ctx.form.lstCompletedTasks, "Completed Task Text");
}

void cmdTestLoad_Click(Context& ctx) {
    const std::string folder = StateFolder(ctx);
    if (folder.empty()) return;  // never a file of the current directory
    const std::string file = WithTrailingSeparator(folder) + "PLog.dat";
    const std::optional<std::string> text = platform::ReadWholeFile(file);
    if (!text) return;
    for (const StateRecord& record : ParseRecordText(*text)) {
        AddCompletedLine(ctx, RecordLine(record));
    }
}

void btnOK_Click(Context& ctx) {
    ClosePrompt(ctx);
}

}  // namespace vfs
