#include "engine/name_matching.h"

#include <algorithm>

#include "platform/name_patterns.h"

namespace vfs {

std::optional<std::string_view> SortedWalk::Find(std::string_view name) {
    const std::size_t count = names_ ? names_->size() : table_->Size();
    for (; next_ < count; ++next_) {
        const std::string_view listed = Listed(next_);
        if (listed.empty()) continue;
        const int order = ignoreCase_ ? platform::CompareFolded(listed, name)
                                      : platform::CompareIgnoringCase(listed, name);
        if (order > 0) return std::nullopt;
        if (order == 0) return listed;
    }
    return std::nullopt;
}

std::string_view SortedWalk::Listed(std::size_t i) const {
    return names_ ? std::string_view((*names_)[i]) : table_->Name(static_cast<uint32_t>(i));
}

namespace {

// The name in the other case of every letter, to ask a folder whether it folds case.
std::string SwappedCase(std::string_view name) {
    std::string swapped(name);
    for (char& c : swapped) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return swapped;
}

}  // namespace

std::optional<bool> ProbeFoldsCase(const std::vector<std::string>& names,
                                   const platform::OpenFolder& folder) {
    constexpr std::size_t kTries = 4;
    std::size_t tried = 0;
    for (const std::string& name : names) {
        const std::string swapped = SwappedCase(name);
        if (swapped == name) continue;
        if (std::binary_search(names.begin(), names.end(), swapped,
                               [](const auto& a, const auto& b) {
                                   return platform::CompareIgnoringCase(a, b) < 0;
                               })) {
            return false;
        }
        if (folder.Info(swapped)) return true;
        if (++tried == kTries) break;
    }
    return tried > 0 ? std::optional<bool>(false) : std::nullopt;
}

}  // namespace vfs
