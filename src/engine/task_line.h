// The task line: the text of one queued Copy, Replace or Delete, built by the scan and
// parsed by the task execution. Both live here so they are tested against each other.
//
//   Copy    "<category>", "<folder>/<name>", "<folder>/<name>"
//   Replace "<category>", "<source>", "<destination>"
//   Delete  "<category>", "<file>"
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/context.h"
#include "engine/file_helpers.h"
#include "engine/task_view.h"

namespace vfs {

enum TaskKind : int { kTaskDelete = 0, kTaskCopy = 1, kTaskReplace = 2 };

// The line for one task; an empty text for any other kind. Folders get a trailing
// separator when they have none.
std::string BuildTaskLine(int kind, const std::string& category, const std::string& fileName,
                          const std::string& firstFolder, const std::string& secondFolder);

// Appends the task to lstTasksToDo and counts the call in QueuedTaskCount (also for a kind
// that appends nothing). The row is the task's view (see QueuedTaskViews): what the task's
// files and folders look like now, checked again right before the task runs; the row's
// text is the task line made from it.
void QueueTask(Context& ctx, int kind, const std::string& category, const FileEntry& entry,
               const std::string& firstFolder, const std::string& secondFolder);

// What a caller that has just looked at the task's files and folders found there (what
// Examine and FileSystemId answer); the task's view is made from it, so a scan queuing many
// thousand tasks does not ask the disk the same again per task.
struct KnownTaskState {
    std::optional<platform::EntryState> first;
    std::optional<platform::EntryState> second;  // unused for a delete
    std::optional<uint64_t> firstFileSystem;
    std::optional<uint64_t> secondFileSystem;
};
void QueueTask(Context& ctx, int kind, const std::string& category, const std::string& fileName,
               const std::string& firstFolder, const std::string& secondFolder,
               const KnownTaskState& known);

// The step marker a parse ends with; an error message of the task quotes the marker reached.
inline constexpr int32_t kParseNotStarted = 1;
inline constexpr int32_t kParseStoppedWithoutSeparator = 23;
inline constexpr int32_t kParseComplete = 29;

struct ParsedTask {
    int16_t TaskMode = -1;        // Delete 0, Copy 1, Replace 2, anything else -1
    bool separatorFound = false;  // false: the line has no `", "` and the task fails at once
    std::string category;
    std::string firstPath;
    std::string secondPath;  // empty for a delete line
    int32_t TaskStep = kParseNotStarted;
    std::string remainder;  // the text still held by the parser when it stopped
};

ParsedTask ParseTaskLine(const std::string& line);

// The view of the task in that row of lstTasksToDo, taken out of the queue's views; nothing
// for a row added as bare text, off the queue, or whose view was taken already.
std::optional<TaskView> TakeTaskView(Context& ctx, std::size_t row);

}  // namespace vfs
