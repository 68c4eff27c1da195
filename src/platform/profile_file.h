// Profile (INI) files: "[section]" headers and "key=value" lines. Section and key names are
// compared without regard to case, values are trimmed and lose one pair of surrounding
// quotes, and at most 511 characters of a value are read. Writing keeps every other line
// (other sections, keys, comments) as it stands and replaces the file atomically, so an
// interrupted write leaves the old file or the new one. CR LF and LF files are read; files
// are written with CR LF. A file is read as UTF-8 where it is valid UTF-8 (with or without a
// byte-order mark) and otherwise, on Windows, in the ANSI code page; an edit writes it back
// in the encoding it was read in.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/text_encoding.h"

namespace vfs::platform {

// The longest value a read delivers.
inline constexpr std::size_t kMaxProfileValueLength = 511;

// The value of a key in a profile text; nothing when the section or the key is missing.
// With duplicate sections or keys the first one counts.
std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key);

// The profile text with one key set: its first occurrence in the section is replaced in
// place, a new key goes after the last entry of its section, a new section at the end.
std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value);

// The same two operations on a file. A missing file reads as empty.
std::optional<std::string> ReadProfileValue(const std::string& file, const std::string& section,
                                            const std::string& key);
// False when the file could not be replaced; the old file then stays untouched.
bool WriteProfileValue(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value);

// Several keys of one file written with a single replacement of the file, so a save of many
// keys is one atomic step.
class ProfileFileEdit {
  public:
    // Reads the file as it is now; a missing file starts empty.
    explicit ProfileFileEdit(std::string file);
    void Set(const std::string& section, const std::string& key, const std::string& value);
    // False when the file could not be replaced (or could not be read to begin with); the
    // old file then stays untouched.
    bool Commit() const;

  private:
    std::string file_;
    std::string text_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    bool readable_ = true;
};

}  // namespace vfs::platform
