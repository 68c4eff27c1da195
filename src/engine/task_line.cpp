#include "engine/task_line.h"

#include <algorithm>
#include <string_view>

#include "engine/text_helpers.h"
#include "engine/transfer_progress.h"

namespace vfs {

namespace {

constexpr std::string_view kFieldSeparator = "\", \"";
// The keyword is padded to this width; its opening quote follows, then the first field.
constexpr std::size_t kKeywordWidth = 8;
constexpr std::size_t kFirstFieldStart = kKeywordWidth + 1;

std::string KeywordField(int kind) {
    switch (kind) {
        case kTaskCopy:
            return "Copy    \"";
        case kTaskReplace:
            return "Replace \"";
        case kTaskDelete:
            return "Delete  \"";
        default:
            return {};
    }
}

std::string WithoutQuotes(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '"'), text.end());
    return text;
}

}  // namespace

std::string BuildTaskLine(int kind, const std::string& category, const std::string& fileName,
                          const std::string& firstFolder, const std::string& secondFolder) {
    const std::string keyword = KeywordField(kind);
    if (keyword.empty()) return {};
    // Made in one buffer: the queue makes its lines whenever they are read.
    const auto appendPath = [&fileName](std::string& line, const std::string& folder) {
        line += folder;
        if (!folder.empty() && folder.back() != kSep) line += kSep;
        line += fileName;
    };
    std::string line;
    line.reserve(keyword.size() + category.size() + firstFolder.size() + secondFolder.size() +
                 2 * fileName.size() + 2 * kFieldSeparator.size() + 4);
    line += keyword;
    line += category;
    line += kFieldSeparator;
    appendPath(line, firstFolder);
    if (kind != kTaskDelete) {
        line += kFieldSeparator;
        appendPath(line, secondFolder);
    }
    line += '"';
    return line;
}

namespace {

TaskView ViewOf(int kind, const std::string& fileName, const std::string& firstFolder,
                const std::string& secondFolder, const KnownTaskState& known) {
    TaskView view;
    view.fileName = fileName;
    view.firstFolder = WithTrailingSeparator(firstFolder);
    view.first = known.first;
    view.firstFileSystem = known.firstFileSystem;
    if (kind != kTaskDelete) {
        view.secondFolder = WithTrailingSeparator(secondFolder);
        view.second = known.second;
        view.secondFileSystem = known.secondFileSystem;
    }
    return view;
}

}  // namespace

// One look-up per file and one per folder: the cost of knowing later whether the world
// still is what the decision was made on.
void QueueTask(Context& ctx, int kind, const std::string& category, const FileEntry& entry,
               const std::string& firstFolder, const std::string& secondFolder) {
    platform::FileSystem& fs = *ctx.ports.fileSystem;
    KnownTaskState known;
    if (kind == kTaskDelete || kind == kTaskCopy || kind == kTaskReplace) {
        const std::string first = WithTrailingSeparator(firstFolder);
        known.first = fs.Examine(first + entry.FileName);
        known.firstFileSystem = fs.FileSystemId(first);
        if (kind != kTaskDelete) {
            const std::string second = WithTrailingSeparator(secondFolder);
            known.second = fs.Examine(second + entry.FileName);
            known.secondFileSystem = fs.FileSystemId(second);
        }
    }
    QueueTask(ctx, kind, category, entry.FileName, firstFolder, secondFolder, known);
}

void QueueTask(Context& ctx, int kind, const std::string& category, const std::string& fileName,
               const std::string& firstFolder, const std::string& secondFolder,
               const KnownTaskState& known) {
    if (!KeywordField(kind).empty()) {
        const uint64_t key = ctx.state.TaskViews.File(
            kind, category, ViewOf(kind, fileName, firstFolder, secondFolder, known));
        ctx.form.lstTasksToDo.AddComposedItem(ctx.state.TaskViews, key);
    }
    ++ctx.state.QueuedTaskCount;
    NoteQueuedBytes(ctx, kind != kTaskDelete && known.first ? known.first->size : 0);
}

std::optional<TaskView> TakeTaskView(Context& ctx, std::size_t row) {
    const std::optional<uint64_t> key = ctx.form.lstTasksToDo.ComposedKey(row);
    if (!key) return std::nullopt;
    return ctx.state.TaskViews.Take(*key);
}

ParsedTask ParseTaskLine(const std::string& line) {
    ParsedTask task;
    std::string verb = TrimSpaces(line.substr(0, std::min(kKeywordWidth, line.size())));
    if (verb == "Copy") {
        task.TaskMode = kTaskCopy;
    } else if (verb == "Replace") {
        task.TaskMode = kTaskReplace;
    } else if (verb == "Delete") {
        task.TaskMode = kTaskDelete;
    }
    std::string rest =
        line.size() > kFirstFieldStart ? line.substr(kFirstFieldStart) : std::string();
    task.remainder = rest;
    std::size_t sep = rest.find(kFieldSeparator);
    if (sep == std::string::npos) {
        task.TaskStep = kParseStoppedWithoutSeparator;
        return task;
    }
    task.separatorFound = true;
    task.category = rest.substr(0, sep);
    rest = rest.substr(sep + kFieldSeparator.size());
    task.remainder = rest;
    std::size_t second = rest.find(kFieldSeparator);
    if (second == std::string::npos) {
        task.firstPath = WithoutQuotes(rest);
    } else {
        task.firstPath = WithoutQuotes(rest.substr(0, second));
        task.secondPath = WithoutQuotes(rest.substr(second + kFieldSeparator.size()));
    }
    task.TaskStep = kParseComplete;
    return task;
}

}  // namespace vfs
