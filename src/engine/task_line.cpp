#include "engine/task_line.h"
#include "engine/text_helpers.h"

#include <algorithm>

namespace vfs {

namespace {

constexpr const char* kFieldSeparator = "\", \"";

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
    std::string keyword = KeywordField(kind);
    if (keyword.empty()) return {};
    std::string line =
        keyword + category + kFieldSeparator + WithTrailingSeparator(firstFolder) + fileName + "\"";
    if (kind != kTaskDelete) {
        line.pop_back();
        line += kFieldSeparator + WithTrailingSeparator(secondFolder) + fileName + "\"";
    }
    return line;
}

void QueueTask(Context& ctx, int kind, const std::string& category, const FileEntry& entry,
               const std::string& firstFolder, const std::string& secondFolder) {
    std::string line = BuildTaskLine(kind, category, entry.FileName, firstFolder, secondFolder);
    if (!line.empty()) ctx.form.lstTasksToDo.AddItem(line);
    ++ctx.state.QueuedTaskCount;
}

ParsedTask ParseTaskLine(const std::string& line) {
    ParsedTask task;
    task.TaskStep = 2;
    std::string verb = TrimSpaces(line.substr(0, std::min<std::size_t>(8, line.size())));
    if (verb == "Copy") {
        task.TaskMode = kTaskCopy;
    } else if (verb == "Replace") {
        task.TaskMode = kTaskReplace;
    } else if (verb == "Delete") {
        task.TaskMode = kTaskDelete;
    }
    task.TaskStep = 21;
    std::string rest = line.size() > 9 ? line.substr(9) : std::string();
    task.remainder = rest;
    task.TaskStep = 22;
    std::size_t sep = rest.find(kFieldSeparator);
    if (sep == std::string::npos) {
        task.TaskStep = 23;
        return task;
    }
    task.separatorFound = true;
    task.TaskStep = 24;
    task.category = rest.substr(0, sep);
    rest = rest.substr(sep + 4);
    task.remainder = rest;
    task.TaskStep = 25;
    std::size_t second = rest.find(kFieldSeparator);
    if (second == std::string::npos) {
        task.TaskStep = 26;
        task.firstPath = WithoutQuotes(rest);
    } else {
        task.TaskStep = 27;
        task.firstPath = WithoutQuotes(rest.substr(0, second));
        task.secondPath = WithoutQuotes(rest.substr(second + 4));
    }
    task.TaskStep = 29;
    return task;
}

}  // namespace vfs
