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
#include <vector>

#include "form/controls.h"
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

// The queued tasks themselves: each task of lstTasksToDo is a composed row whose key is
// its view's, and its line is made from the view whenever the row is read. So the line and
// the view cannot part: a queue that is changed or cleared cannot hand a task another
// task's view, and a view is taken by the key of the row that runs.
//
// A scan may queue a hundred thousand tasks, so the views are kept packed: each folder and
// category once, the names one after the other, a state only for a file that exists.
// Keys are never handed out twice, not even after Clear.
class QueuedTaskViews final : public RowComposer {
  public:
    QueuedTaskViews() = default;
    // Rows of the queue carry the keys of this very object.
    QueuedTaskViews(const QueuedTaskViews&) = delete;
    QueuedTaskViews& operator=(const QueuedTaskViews&) = delete;

    // Files the view of a task of that kind and category; its row carries the key returned.
    uint64_t File(int kind, const std::string& category, const TaskView& view);
    // The task's line as BuildTaskLine makes it; empty for a key not filed since Clear.
    std::string RowText(uint64_t key) const override;
    // The view filed under the key, taken out: nothing when it was taken already or none is.
    std::optional<TaskView> Take(uint64_t key);
    // Forgets every view (the queue is empty); the keys go on from where they were.
    void Clear();

    // Destination folders already cleared of a crashed run's temporary copies this run.
    std::set<std::string> sweptFolders;

  private:
    static constexpr uint32_t kNone = 0xFFFFFFFF;
    // A state's flags within a record: the look-up succeeded, the file exists, it is regular.
    static constexpr uint8_t kKnown = 1;
    static constexpr uint8_t kExists = 2;
    static constexpr uint8_t kRegular = 4;

    struct PackedState {
        int64_t size = 0;
        int64_t modifiedSeconds = 0;
        int64_t changedSeconds = 0;
        int32_t modifiedNanoseconds = 0;
    };
    struct Folder {
        std::string path;
        std::optional<uint64_t> fileSystem;
        auto operator<=>(const Folder&) const = default;
    };
    // 40 bytes a task, plus its name and a state per existing file.
    struct Record {
        uint64_t nameAt = 0;
        uint32_t nameSize = 0;
        uint8_t kind = 0;
        uint8_t taken = 0;
        uint8_t firstFlags = 0;
        uint8_t secondFlags = 0;
        uint32_t category = 0;
        uint32_t firstFolder = kNone;
        uint32_t secondFolder = kNone;
        uint32_t firstState = kNone;
        uint32_t secondState = kNone;
    };

    // Where the record filed under the key is; nothing for a key not filed since Clear.
    std::optional<std::size_t> IndexOf(uint64_t key) const;
    std::string NameOf(const Record& record) const;
    void Pack(const std::optional<platform::EntryState>& state, uint8_t& flags, uint32_t& at);
    std::optional<platform::EntryState> Unpack(uint8_t flags, uint32_t at) const;
    uint32_t FolderIndex(const std::string& path, const std::optional<uint64_t>& fileSystem);
    uint32_t CategoryIndex(const std::string& category);

    uint64_t firstKey_ = 0;  // the key of records_.front()
    // Grown in blocks, never moved: a hundred thousand views are not copied on growth.
    std::deque<Record> records_;
    std::deque<PackedState> states_;
    std::deque<char> names_;
    std::vector<Folder> folders_;
    std::map<Folder, uint32_t> folderIndex_;
    uint32_t recentFolders_[2] = {kNone, kNone};
    std::vector<std::string> categories_;
};

}  // namespace vfs
