// Names matched against the listing patterns of the automation system ("*.kvo;*.wav") and
// sorted as its listings are: without regard to case. Pure text work, the same on every
// system the program runs on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vfs::platform {

// Case-insensitive wildcard match of a name against one pattern ('*', '?'; "*.*" matches
// every name, as the listing services of the automation system's platform do).
bool MatchesPattern(const std::string& name, const std::string& pattern);

// The ';'-separated patterns, blanks around each dropped; "*.*" when there is none.
std::vector<std::string> SplitPatterns(const std::string& patterns);

// Case-insensitive wildcard match ('*', '?'; "*.*" and "*" match every name) of a name
// against any of the patterns SplitPatterns gave.
bool MatchesAnyPattern(const char* name, const std::vector<std::string>& patterns);

// Ascending without regard to case, the exact bytes breaking ties.
void SortIgnoringCase(std::vector<std::string>& names);

// The order SortIgnoringCase sorts by: below zero when `a` comes first, zero only for the
// same bytes.
int CompareIgnoringCase(std::string_view a, std::string_view b);
// The same order without the tie-break: zero for names that differ only in case, the names
// a file system that folds case takes for one.
int CompareFolded(std::string_view a, std::string_view b);
// The name as a file system that folds case takes it, for looking it up among others.
std::string FoldCase(std::string_view name);
inline bool SameFolded(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareFolded(a, b) == 0;
}

}  // namespace vfs::platform
