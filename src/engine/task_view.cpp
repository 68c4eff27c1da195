#include "engine/task_view.h"

#include <functional>
#include <string_view>

#include "engine/task_line.h"

namespace vfs {

namespace {

uint64_t HashOf(const std::string& line) {
    return std::hash<std::string_view>{}(line);
}

}  // namespace

QueuedTaskViews::PackedState QueuedTaskViews::Pack(
    const std::optional<platform::EntryState>& state) {
    PackedState packed;
    if (!state) return packed;
    packed.known = true;
    packed.exists = state->exists;
    packed.regular = state->regular;
    packed.size = state->size;
    packed.modifiedSeconds = state->modifiedSeconds;
    packed.modifiedNanoseconds = state->modifiedNanoseconds;
    packed.changedSeconds = state->changedSeconds;
    return packed;
}

std::optional<platform::EntryState> QueuedTaskViews::Unpack(const PackedState& packed) {
    if (!packed.known) return std::nullopt;
    platform::EntryState state;
    state.exists = packed.exists;
    state.regular = packed.regular;
    state.size = packed.size;
    state.modifiedSeconds = packed.modifiedSeconds;
    state.modifiedNanoseconds = packed.modifiedNanoseconds;
    state.changedSeconds = packed.changedSeconds;
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
    const auto found = categoryIndex_.find(category);
    if (found != categoryIndex_.end()) return found->second;
    const auto index = static_cast<uint32_t>(categories_.size());
    categories_.push_back(category);
    categoryIndex_.emplace(category, index);
    return index;
}

std::string QueuedTaskViews::LineOf(const Packed& view) const {
    static const std::string kNoFolder;
    const std::string& second =
        view.secondFolder == kNone ? kNoFolder : folders_[view.secondFolder].path;
    return BuildTaskLine(view.kind, categories_[view.category], view.fileName,
                         folders_[view.firstFolder].path, second);
}

void QueuedTaskViews::File(const std::string& line, int kind, const std::string& category,
                           const TaskView& view) {
    Packed packed;
    packed.fileName = view.fileName;
    packed.kind = kind;
    packed.category = CategoryIndex(category);
    packed.firstFolder = FolderIndex(view.firstFolder, view.firstFileSystem);
    packed.first = Pack(view.first);
    if (kind != kTaskDelete) {
        packed.secondFolder = FolderIndex(view.secondFolder, view.secondFileSystem);
        packed.second = Pack(view.second);
    }
    const auto index = static_cast<uint32_t>(views_.size());
    const uint64_t hash = HashOf(line);
    views_.push_back(std::move(packed));
    Chain& chain = byHash_[hash];
    if (chain.tail == kNone) {
        chain.head = index;
    } else {
        views_[chain.tail].next = index;
    }
    chain.tail = index;
}

std::optional<TaskView> QueuedTaskViews::Take(const std::string& line) {
    const auto found = byHash_.find(HashOf(line));
    if (found == byHash_.end()) return std::nullopt;
    Chain& chain = found->second;
    // Another line with the same hash may share the chain: the view must make this line.
    uint32_t previous = kNone;
    for (uint32_t index = chain.head; index != kNone; index = views_[index].next) {
        Packed& packed = views_[index];
        if (LineOf(packed) != line) {
            previous = index;
            continue;
        }
        if (previous == kNone) {
            chain.head = packed.next;
        } else {
            views_[previous].next = packed.next;
        }
        if (chain.tail == index) chain.tail = previous;
        TaskView view;
        view.fileName = std::move(packed.fileName);
        view.firstFolder = folders_[packed.firstFolder].path;
        view.firstFileSystem = folders_[packed.firstFolder].fileSystem;
        view.first = Unpack(packed.first);
        if (packed.secondFolder != kNone) {
            view.secondFolder = folders_[packed.secondFolder].path;
            view.secondFileSystem = folders_[packed.secondFolder].fileSystem;
            view.second = Unpack(packed.second);
        }
        packed.fileName = std::string();
        if (chain.head == kNone) byHash_.erase(found);
        return view;
    }
    return std::nullopt;
}

}  // namespace vfs
