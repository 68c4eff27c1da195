// Small text helpers shared across the core.
#pragma once

#include <cstdio>
#include <string>

namespace vfs {

// The text without the blanks at its start and end (only ' ': the stored formats trim
// spaces, not tabs).
inline std::string TrimSpaces(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A number as two digits at least, with a leading zero: 7 -> "07".
inline std::string TwoDigits(long value) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02ld", value);
    return buf;
}

// A count held as a double, in plain decimal without a fraction: 4294967296 -> "4294967296".
inline std::string PlainNumber(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f", value);
    return buf;
}

}  // namespace vfs
