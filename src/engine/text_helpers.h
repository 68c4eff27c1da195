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

// True when the texts are equal but for the case of the ASCII letters, as the names of the
// program's own records and backups are compared.
inline bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
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
