// Small text helpers shared across the core.
#pragma once

#include <string>

namespace vfs {

// The text without the blanks at its start and end (only ' ': the stored formats trim
// spaces, not tabs).
inline std::string TrimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace vfs
