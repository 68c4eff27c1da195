#include "platform/name_table.h"

#include <functional>
#include <limits>

namespace vfs::platform {

namespace {

uint64_t HashOf(std::string_view name) {
    return static_cast<uint64_t>(std::hash<std::string_view>{}(name));
}

uint32_t TagOf(uint64_t hash) {
    return static_cast<uint32_t>(hash >> 32);
}

}  // namespace

bool NameTable::Add(std::string_view name) {
    constexpr std::size_t kLimit = std::numeric_limits<uint32_t>::max();
    if (name.size() > kLimit - text_.size() || ends_.size() >= kLimit) return false;
    text_.append(name);
    ends_.push_back(static_cast<uint32_t>(text_.size()));
    return true;
}

void NameTable::Seal() {
    // At most half full, so a search ends after a few slots.
    std::size_t size = 16;
    while (size < 2 * ends_.size())
        size *= 2;
    slots_.assign(size, Slot{});
    const std::size_t mask = size - 1;
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        const uint64_t hash = HashOf(Name(static_cast<uint32_t>(i)));
        std::size_t slot = hash & mask;
        while (slots_[slot].numberPlusOne != 0)
            slot = (slot + 1) & mask;
        slots_[slot] = Slot{TagOf(hash), static_cast<uint32_t>(i + 1)};
    }
}

std::optional<uint32_t> NameTable::Find(std::string_view name) const {
    if (slots_.empty()) return std::nullopt;
    const uint64_t hash = HashOf(name);
    const uint32_t tag = TagOf(hash);
    const std::size_t mask = slots_.size() - 1;
    // Names were placed in the order they were added, so of equal names the first added is
    // met first.
    for (std::size_t slot = hash & mask; slots_[slot].numberPlusOne != 0;
         slot = (slot + 1) & mask) {
        const Slot& at = slots_[slot];
        if (at.tag == tag && Name(at.numberPlusOne - 1) == name) return at.numberPlusOne - 1;
    }
    return std::nullopt;
}

void NameTable::Reserve(std::size_t names, std::size_t textBytes) {
    ends_.reserve(names);
    text_.reserve(textBytes);
}

void NameTable::Clear() {
    std::string().swap(text_);
    std::vector<uint32_t>().swap(ends_);
    std::vector<Slot>().swap(slots_);
}

}  // namespace vfs::platform
