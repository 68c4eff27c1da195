// How the scan matches the names of one side with the other's: both listings walked side
// by side, and whether a folder's file system takes names that differ only in case for one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/name_table.h"
#include "platform/open_folder.h"

namespace vfs {

// Whether the other side listed a name, for the names of one side asked in their listing
// order. Both listings are sorted alike, so one walk along the other side's names answers
// them all, where a search per name would touch memory all over a large folder's tables. A
// name the walk does not find is not yet proof of absence: the other folder is asked as
// before (it may hold the name as a link or folder, or a file it could not list). The walk
// finds only a name the other side listed as a regular file, exactly as its look-up would.
class SortedWalk {
  public:
    explicit SortedWalk(const std::vector<std::string>& names) : names_(&names) {}
    // Files that could not be read have an empty name in the table and are passed over.
    explicit SortedWalk(const platform::NameTable& names) : table_(&names) {}

    // Where the pair's file systems fold case, a name the other side lists in another case
    // is the same file.
    void IgnoreCase() { ignoreCase_ = true; }

    // The other side's spelling of the name, when it listed it.
    std::optional<std::string_view> Find(std::string_view name);

  private:
    std::string_view Listed(std::size_t i) const;

    const std::vector<std::string>* names_ = nullptr;
    const platform::NameTable* table_ = nullptr;
    std::size_t next_ = 0;
    bool ignoreCase_ = false;
};

// Whether a folder's file system folds case, asked of the folder itself: a listed name in
// the other case is found too, and is not a second listed file. Nothing when no listed name
// has a letter to swap. The names are sorted as the listing sorts them.
std::optional<bool> ProbeFoldsCase(const std::vector<std::string>& names,
                                   const platform::OpenFolder& folder);

}  // namespace vfs
