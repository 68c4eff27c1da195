#include "engine/task_view.h"

#include "engine/task_line.h"

namespace vfs {

void QueuedTaskViews::Pack(const std::optional<platform::EntryState>& state, uint8_t& flags,
                           uint32_t& at) {
    flags = 0;
    at = kNone;
    if (!state) return;
    flags = kKnown | (state->exists ? kExists : 0) | (state->regular ? kRegular : 0);
    if (!state->exists) return;
    at = static_cast<uint32_t>(states_.size());
    states_.push_back({state->size, state->modifiedSeconds, state->changedSeconds,
                       static_cast<int32_t>(state->modifiedNanoseconds)});
}

std::optional<platform::EntryState> QueuedTaskViews::Unpack(uint8_t flags, uint32_t at) const {
    if ((flags & kKnown) == 0) return std::nullopt;
    platform::EntryState state;
    state.exists = (flags & kExists) != 0;
    state.regular = (flags & kRegular) != 0;
    if (at != kNone) {
        const PackedState& packed = states_[at];
        state.size = packed.size;
        state.modifiedSeconds = packed.modifiedSeconds;
        state.modifiedNanoseconds = packed.modifiedNanoseconds;
        state.changedSeconds = packed.changedSeconds;
    }
    return state;
}

uint32_t QueuedTaskViews::FolderIndex(const std::string& path,
                                      const std::optional<uint64_t>& fileSystem) {
    // A scan's tasks go between its two folders: the two last asked for are the likely ones.
    for (const uint32_t recent : recentFolders_) {
        if (recent != kNone && folders_[recent].path == path &&
            folders_[recent].fileSystem == fileSystem) {
            return recent;
        }
    }
    Folder folder{path, fileSystem};
    uint32_t index = kNone;
    const auto found = folderIndex_.find(folder);
    if (found != folderIndex_.end()) {
        index = found->second;
    } else {
        index = static_cast<uint32_t>(folders_.size());
        folders_.push_back(folder);
        folderIndex_.emplace(std::move(folder), index);
    }
    recentFolders_[1] = recentFolders_[0];
    recentFolders_[0] = index;
    return index;
}

uint32_t QueuedTaskViews::CategoryIndex(const std::string& category) {
    // A run has a few categories; the last one asked for is nearly always the one.
    for (std::size_t i = categories_.size(); i-- > 0;) {
        if (categories_[i] == category) return static_cast<uint32_t>(i);
    }
    categories_.push_back(category);
    return static_cast<uint32_t>(categories_.size() - 1);
}

std::optional<std::size_t> QueuedTaskViews::IndexOf(uint64_t key) const {
    if (key < firstKey_ || key - firstKey_ >= records_.size()) return std::nullopt;
    return static_cast<std::size_t>(key - firstKey_);
}

std::string QueuedTaskViews::NameOf(const Record& record) const {
    const auto from = names_.begin() + static_cast<std::ptrdiff_t>(record.nameAt);
    return std::string(from, from + record.nameSize);
}

uint64_t QueuedTaskViews::File(int kind, const std::string& category, const TaskView& view) {
    Record record;
    record.nameAt = names_.size();
    record.nameSize = static_cast<uint32_t>(view.fileName.size());
    names_.insert(names_.end(), view.fileName.begin(), view.fileName.end());
    record.kind = static_cast<uint8_t>(kind);
    record.category = CategoryIndex(category);
    record.firstFolder = FolderIndex(view.firstFolder, view.firstFileSystem);
    Pack(view.first, record.firstFlags, record.firstState);
    if (kind != kTaskDelete) {
        record.secondFolder = FolderIndex(view.secondFolder, view.secondFileSystem);
        Pack(view.second, record.secondFlags, record.secondState);
    }
    records_.push_back(record);
    return firstKey_ + records_.size() - 1;
}

std::string QueuedTaskViews::RowText(uint64_t key) const {
    static const std::string kNoFolder;
    const std::optional<std::size_t> index = IndexOf(key);
    if (!index) return {};
    const Record& record = records_[*index];
    const std::string& second =
        record.secondFolder == kNone ? kNoFolder : folders_[record.secondFolder].path;
    return BuildTaskLine(record.kind, categories_[record.category], NameOf(record),
                         folders_[record.firstFolder].path, second);
}

std::optional<TaskView> QueuedTaskViews::Take(uint64_t key) {
    const std::optional<std::size_t> index = IndexOf(key);
    if (!index || records_[*index].taken) return std::nullopt;
    Record& record = records_[*index];
    record.taken = 1;
    TaskView view;
    view.fileName = NameOf(record);
    view.firstFolder = folders_[record.firstFolder].path;
    view.firstFileSystem = folders_[record.firstFolder].fileSystem;
    view.first = Unpack(record.firstFlags, record.firstState);
    if (record.secondFolder != kNone) {
        view.secondFolder = folders_[record.secondFolder].path;
        view.secondFileSystem = folders_[record.secondFolder].fileSystem;
        view.second = Unpack(record.secondFlags, record.secondState);
    }
    return view;
}

void QueuedTaskViews::Clear() {
    firstKey_ += records_.size();
    records_.clear();
    states_.clear();
    names_.clear();
    folders_.clear();
    folderIndex_.clear();
    recentFolders_[0] = recentFolders_[1] = kNone;
    categories_.clear();
    sweptFolders.clear();
}

}  // namespace vfs
