// A large set of names kept compactly and searched by exact name. The scan holds one per
// listed folder and one for the names the previous sync recorded, each many thousand names
// long: every name lies in one block of text, with one end offset per name and an
// open-addressing index over them, instead of a string and a hash node per name, so the
// table takes little more memory than the names themselves and a look-up touches few
// cache lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vfs::platform {

class NameTable {
  public:
    // Appends a name; its number is the count of names added before it. The same name may be
    // added more than once. False, and nothing added, when the table's text would pass
    // 4 GiB.
    bool Add(std::string_view name);
    // Indexes every name added so far; Find answers only after it, and a later Add needs
    // another Seal. One pass, no sort.
    void Seal();
    // The number of the first name added equal to `name`; nothing for a name never added.
    std::optional<uint32_t> Find(std::string_view name) const;
    bool Contains(std::string_view name) const { return Find(name).has_value(); }

    std::string_view Name(uint32_t number) const {
        const uint32_t begin = number == 0 ? 0 : ends_[number - 1];
        return std::string_view(text_).substr(begin, ends_[number] - begin);
    }
    std::size_t Size() const { return ends_.size(); }
    void Reserve(std::size_t names, std::size_t textBytes);
    // Gives back all memory.
    void Clear();

  private:
    // The upper half of a name's hash beside its number, so a search compares names only
    // when the hashes agree.
    struct Slot {
        uint32_t tag = 0;
        uint32_t numberPlusOne = 0;  // 0 for an empty slot
    };

    std::string text_;            // every name, one after the other
    std::vector<uint32_t> ends_;  // where each name ends in text_
    std::vector<Slot> slots_;
};

}  // namespace vfs::platform
