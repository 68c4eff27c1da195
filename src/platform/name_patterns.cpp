#include "platform/name_patterns.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vfs::platform {

namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool MatchFrom(const char* n, const char* p) {
    // Iterative wildcard match with backtracking on the last '*'.
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n) {
        if (*p == '*') {
            star = p++;
            resume = n;
        } else if (*p == '?' || (*p && Lower(*p) == Lower(*n))) {
            ++p;
            ++n;
        } else if (star) {
            p = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*')
        ++p;
    return *p == '\0';
}

// "*" and then plain text, such as "*.wav": the name ends with that text, whatever case. The
// common form of a pattern is matched without the backtracking of the general match.
bool IsStarThenText(const std::string& pattern) {
    return pattern.size() > 1 && pattern[0] == '*' &&
           pattern.find_first_of("*?", 1) == std::string::npos;
}

bool EndsWithIgnoringCase(const char* name, std::size_t length, const std::string& pattern) {
    const std::size_t text = pattern.size() - 1;
    if (length < text) return false;
    const char* tail = name + (length - text);
    for (std::size_t i = 0; i < text; ++i) {
        if (Lower(tail[i]) != Lower(pattern[i + 1])) return false;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitPatterns(const std::string& patterns) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= patterns.size()) {
        std::size_t end = patterns.find(';', start);
        if (end == std::string::npos) end = patterns.size();
        std::string p = patterns.substr(start, end - start);
        p.erase(0, p.find_first_not_of(' '));
        p.erase(p.find_last_not_of(' ') + 1);
        if (!p.empty()) out.push_back(p);
        start = end + 1;
    }
    if (out.empty()) out.push_back("*.*");
    return out;
}

bool MatchesAnyPattern(const char* name, const std::vector<std::string>& patterns) {
    const std::size_t length = std::strlen(name);
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
        if (p == "*.*" || p == "*") return true;
        if (IsStarThenText(p)) return EndsWithIgnoringCase(name, length, p);
        return MatchFrom(name, p.c_str());
    });
}

namespace {

// Each byte as strcasecmp compares it: the C library's tolower, byte by byte, in the locale
// of the first call (the program sets its locale before it lists anything). One table for
// the sort and the comparison, so the two can never disagree.
const unsigned char* CaseFold() {
    static const auto table = [] {
        std::array<unsigned char, 256> fold{};
        for (int c = 0; c < 256; ++c)
            fold[static_cast<std::size_t>(c)] = static_cast<unsigned char>(std::tolower(c));
        return fold;
    }();
    return table.data();
}

}  // namespace

std::string FoldCase(std::string_view name) {
    const unsigned char* fold = CaseFold();
    std::string folded(name);
    for (char& c : folded)
        c = static_cast<char>(fold[static_cast<unsigned char>(c)]);
    return folded;
}

int CompareIgnoringCase(std::string_view a, std::string_view b) {
    const int folded = CompareFolded(a, b);
    return folded != 0 ? folded : a.compare(b);
}

int CompareFolded(std::string_view a, std::string_view b) {
    const unsigned char* fold = CaseFold();
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t k = 0; k < common; ++k) {
        const unsigned char x = fold[static_cast<unsigned char>(a[k])];
        const unsigned char y = fold[static_cast<unsigned char>(b[k])];
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

// Ascending without regard to case, as strcasecmp orders, the exact bytes breaking ties.
// Each name is folded once into one shared buffer: folding inside the comparison would fold
// every name again on each of its n log n comparisons. The first eight folded bytes also go
// into the key as one number, so most comparisons of a large folder are settled without
// reaching for the names at all.
void SortIgnoringCase(std::vector<std::string>& names) {
    const unsigned char* fold = CaseFold();
    std::size_t total = 0;
    for (const std::string& name : names)
        total += name.size();
    std::string folded;
    folded.reserve(total);
    struct Key {
        // The first folded bytes, the first one highest; a name is never shorter than its
        // bytes, and no name holds a zero byte, so the zeros of a short name order it first,
        // as the comparison of the whole names does.
        uint64_t prefix;
        std::size_t offset;
        std::size_t length;
        std::size_t index;
    };
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        Key key{0, folded.size(), names[i].size(), i};
        for (std::size_t k = 0; k < names[i].size(); ++k) {
            const unsigned char c = fold[static_cast<unsigned char>(names[i][k])];
            if (k < 8) key.prefix |= static_cast<uint64_t>(c) << (56 - 8 * k);
            folded.push_back(static_cast<char>(c));
        }
        keys.push_back(key);
    }
    const char* all = folded.data();
    std::sort(keys.begin(), keys.end(), [&](const Key& a, const Key& b) {
        if (a.prefix != b.prefix) return a.prefix < b.prefix;
        const int c = std::string_view(all + a.offset, a.length)
                          .compare(std::string_view(all + b.offset, b.length));
        return c != 0 ? c < 0 : names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Key& key : keys)
        sorted.push_back(std::move(names[key.index]));
    names.swap(sorted);
}

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*") return true;
    return MatchFrom(name.c_str(), pattern.c_str());
}

}  // namespace vfs::platform
