#include "platform/profile_file.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace vfs::platform {

namespace {

enum class LineKind { Section, Entry, Other };

struct ProfileLine {
    LineKind kind = LineKind::Other;
    std::string name;   // section name or key, trimmed
    std::string value;  // entry value, trimmed
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string TrimBlanks(const std::string& s) {
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && IsBlank(s[first]))
        ++first;
    while (last > first && IsBlank(s[last - 1]))
        --last;
    return s.substr(first, last - first);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The lines of a text, without their line ends; a final line end adds no empty line.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

ProfileLine Classify(const std::string& raw) {
    const std::string line = TrimBlanks(raw);
    ProfileLine result;
    if (!line.empty() && line.front() == '[') {
        std::size_t close = line.find(']');
        result.kind = LineKind::Section;
        result.name =
            TrimBlanks(line.substr(1, close == std::string::npos ? line.npos : close - 1));
        return result;
    }
    std::size_t eq = line.find('=');
    if (line.empty() || line.front() == ';' || eq == std::string::npos) return result;
    result.kind = LineKind::Entry;
    result.name = TrimBlanks(line.substr(0, eq));
    result.value = TrimBlanks(line.substr(eq + 1));
    return result;
}

std::string StripQuotes(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// Index of the first header of the section, or nothing.
std::optional<std::size_t> FindSection(const std::vector<std::string>& lines,
                                       const std::string& section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ProfileLine line = Classify(lines[i]);
        if (line.kind == LineKind::Section && SameName(line.name, section)) return i;
    }
    return std::nullopt;
}

// One past the last line of the section whose header is at `header`.
std::size_t SectionEnd(const std::vector<std::string>& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && Classify(lines[i]).kind != LineKind::Section)
        ++i;
    return i;
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, std::size_t from,
                                   std::size_t to, const std::string& key) {
    for (std::size_t i = from; i < to; ++i) {
        ProfileLine line = Classify(lines[i]);
        if (line.kind == LineKind::Entry && SameName(line.name, key)) return i;
    }
    return std::nullopt;
}

// A line end inside a value would start a new line of the file, so none is written.
std::string EntryLine(const std::string& key, const std::string& value) {
    std::string clean;
    for (char c : value) {
        if (c != '\r' && c != '\n') clean += c;
    }
    return key + "=" + clean;
}

}  // namespace

std::optional<std::string> FindProfileValue(const std::string& text, const std::string& section,
                                            const std::string& key) {
    const std::vector<std::string> lines = SplitLines(text);
    std::optional<std::size_t> header = FindSection(lines, section);
    if (!header) return std::nullopt;
    std::optional<std::size_t> at = FindKey(lines, *header + 1, SectionEnd(lines, *header), key);
    if (!at) return std::nullopt;
    std::string value = StripQuotes(Classify(lines[*at]).value);
    if (value.size() > kMaxProfileValueLength) value.resize(kMaxProfileValueLength);
    return value;
}

std::string SetProfileValue(const std::string& text, const std::string& section,
                            const std::string& key, const std::string& value) {
    std::vector<std::string> lines = SplitLines(text);
    std::optional<std::size_t> header = FindSection(lines, section);
    if (!header) {
        lines.push_back("[" + section + "]");
        lines.push_back(EntryLine(key, value));
        return JoinLines(lines);
    }
    const std::size_t end = SectionEnd(lines, *header);
    if (std::optional<std::size_t> at = FindKey(lines, *header + 1, end, key)) {
        // The key keeps the spelling it has in the file.
        lines[*at] = EntryLine(Classify(lines[*at]).name, value);
        return JoinLines(lines);
    }
    // After the section's last non-blank line, so blank lines between sections stay put.
    std::size_t insertAt = end;
    while (insertAt > *header + 1 && TrimBlanks(lines[insertAt - 1]).empty())
        --insertAt;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), EntryLine(key, value));
    return JoinLines(lines);
}

std::optional<std::string> ReadProfileValue(const std::string& file, const std::string& section,
                                            const std::string& key) {
    std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes) return std::nullopt;
    return FindProfileValue(DecodeText(std::move(*bytes)).utf8, section, key);
}

bool WriteProfileValue(const std::string& file, const std::string& section, const std::string& key,
                       const std::string& value) {
    ProfileFileEdit edit(file);
    edit.Set(section, key, value);
    return edit.Commit();
}

ProfileFileEdit::ProfileFileEdit(std::string file) : file_(std::move(file)) {
    std::optional<std::string> bytes = ReadWholeFile(file_);
    // A file that exists but cannot be read is left alone rather than replaced by the few
    // keys of this edit.
    readable_ = bytes.has_value() || FileSize(file_) < 0;
    if (bytes) {
        DecodedText text = DecodeText(std::move(*bytes));
        text_ = std::move(text.utf8);
        encoding_ = text.encoding;
    }
}

void ProfileFileEdit::Set(const std::string& section, const std::string& key,
                          const std::string& value) {
    text_ = SetProfileValue(text_, section, key, value);
}

bool ProfileFileEdit::Commit() const {
    return readable_ && WriteFileAtomic(file_, EncodeText(text_, encoding_));
}

}  // namespace vfs::platform
