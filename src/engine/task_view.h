// What the scan saw of one task's files when it queued the task. A run takes minutes, so
// the world is looked at again right before the task runs: a task whose files or folders
// changed meanwhile is not carried out on the strength of an old decision.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace vfs {

struct TaskView {
    std::string fileName;  // the task's own name, exactly as listed
    std::string firstFolder;
    std::string secondFolder;  // empty for a delete
    // Nothing where the look-up itself failed: such a task is never carried out blind.
    std::optional<platform::EntryState> first;
    std::optional<platform::EntryState> second;
    std::optional<uint64_t> firstFileSystem;
    std::optional<uint64_t> secondFileSystem;
};

// The views of the queued tasks, kept beside lstTasksToDo (whose items stay the visible
// task lines). Each view is filed under its line and taken when that line runs, so a queue
// that is changed or cleared cannot hand a task another task's view.
struct QueuedTaskViews {
    std::map<std::string, std::deque<TaskView>> byLine;
    // Destination folders already cleared of a crashed run's temporary copies this run.
    std::set<std::string> sweptFolders;
};

}  // namespace vfs
