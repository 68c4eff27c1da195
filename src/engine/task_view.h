// What the scan saw of one task's files when it queued the task. A run takes minutes, so
// the world is looked at again right before the task runs: a task whose files or folders
// changed meanwhile is not carried out on the strength of an old decision.
#pragma once

#include <compare>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

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
//
// A scan may queue a hundred thousand tasks, so the views are kept packed: each folder and
// category once, the states without padding, and the line not at all. A view is found by
// the hash of its line and confirmed by making the line again from the view.
class QueuedTaskViews {
  public:
    // Files the view of a task of that kind and category under its line (the line
    // BuildTaskLine makes from them and the view's name and folders).
    void File(const std::string& line, int kind, const std::string& category, const TaskView& view);
    // The earliest view filed under exactly that line, taken out; nothing when none is.
    std::optional<TaskView> Take(const std::string& line);

    // Destination folders already cleared of a crashed run's temporary copies this run.
    std::set<std::string> sweptFolders;

  private:
    static constexpr uint32_t kNone = 0xFFFFFFFF;

    struct PackedState {
        int64_t size = 0;
        int64_t modifiedSeconds = 0;
        int64_t modifiedNanoseconds = 0;
        int64_t changedSeconds = 0;
        bool known = false;  // false: the look-up itself failed
        bool exists = false;
        bool regular = false;
    };
    struct Folder {
        std::string path;
        std::optional<uint64_t> fileSystem;
        auto operator<=>(const Folder&) const = default;
    };
    struct Packed {
        std::string fileName;
        PackedState first;
        PackedState second;
        uint32_t category = kNone;
        uint32_t firstFolder = kNone;
        uint32_t secondFolder = kNone;
        uint32_t next = kNone;  // the next view filed under the same hash
        int kind = 0;
    };
    struct Chain {
        uint32_t head = kNone;
        uint32_t tail = kNone;
    };

    static PackedState Pack(const std::optional<platform::EntryState>& state);
    static std::optional<platform::EntryState> Unpack(const PackedState& state);
    uint32_t FolderIndex(const std::string& path, const std::optional<uint64_t>& fileSystem);
    uint32_t CategoryIndex(const std::string& category);
    std::string LineOf(const Packed& view) const;

    // Grown in blocks, never moved: a hundred thousand views are not copied on growth.
    std::deque<Packed> views_;
    std::unordered_map<uint64_t, Chain> byHash_;
    std::vector<Folder> folders_;
    std::map<Folder, uint32_t> folderIndex_;
    uint32_t recentFolders_[2] = {kNone, kNone};
    std::vector<std::string> categories_;
    std::map<std::string, uint32_t> categoryIndex_;
};

}  // namespace vfs
