#include "engine/state_files.h"

#include <strings.h>

#include <string_view>

#include "form/folder_categories.h"
#include "platform/file_system.h"

namespace vfs {

namespace {

constexpr std::size_t kMaxLineParts = 6000;
constexpr std::size_t kShortestRecordText = 18;
constexpr std::size_t kRecordFieldCount = 4;
constexpr char kFieldSeparator = '\x01';
constexpr std::string_view kLineBreak = "\r\n";
constexpr const char* kCommittedExtension = ".dat";
constexpr const char* kPendingExtension = ".tmp";
constexpr const char* kPairExtension = ".pair";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The lines of a state or record text: blanks around the whole text dropped, split at
// CR LF into at most kMaxLineParts parts, each but the last trimmed; the last part reached
// holds only the first line after the previous break, the rest of the text is ignored.
std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> parts;
    text = TrimBlanks(text);
    if (text.empty()) return parts;
    std::size_t start = 0;
    while (parts.size() + 1 < kMaxLineParts) {
        const std::size_t at = text.find(kLineBreak, start);
        if (at == std::string_view::npos) break;
        parts.push_back(TrimBlanks(text.substr(start, at - start)));
        start = at + kLineBreak.size();
    }
    const std::size_t end = text.find(kLineBreak, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    return parts;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    if (line.empty()) return fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = line.find(kFieldSeparator, start);
        fields.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) break;
        start = at + 1;
    }
    return fields;
}

std::string StateFilePath(const std::string& folder, const std::string& baseName, bool pending) {
    return folder + kSep + baseName + (pending ? kPendingExtension : kCommittedExtension);
}

std::string CategoryFilePath(const Context& ctx, const std::string& category, bool pending) {
    return StateFilePath(StateFolder(ctx), StateBaseName(category), pending);
}

bool LoadNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    if (!FileExists(path)) return false;
    const std::optional<std::string> text = platform::ReadWholeFile(path);
    if (!text || text->empty()) return false;
    names = ParseStateText(*text);
    return !names.empty();
}

// CR LF after every name. Nothing written would leave a zero-length file, which reads back
// as no file at all and blocks the commit of later runs; one empty line records "no names".
std::string StateText(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        if (name.empty()) continue;
        text += name;
        text += kLineBreak;
    }
    if (text.empty()) text = kLineBreak;
    return text;
}

void SaveNames(const std::string& path, const std::vector<std::string>& names) {
    platform::WriteFileAtomic(path, StateText(names));
}

bool EnsureFolder(const std::string& folder) {
    return FolderExists(folder) || MakeFolderPath(folder);
}

// Blanks out every entry equal to the name regardless of case; true when one was found.
bool BlankOutName(std::vector<std::string>& names, const std::string& fileName) {
    bool replaced = false;
    for (std::string& name : names) {
        if (!name.empty() && ::strcasecmp(name.c_str(), fileName.c_str()) == 0) {
            name.clear();
            replaced = true;
        }
    }
    return replaced;
}

}  // namespace

std::string StateFolder(const Context& ctx) {
    const std::string& program = ctx.ports.programFolder;
    // Without an absolute program folder there is no safe place for state files; the
    // routines then behave as for a missing folder.
    if (!IsAbsoluteNative(program)) return {};
    return CollapseDoubledSeparators(program + kSep + "VarnelFileSyncSettings" +
                                     ctx.state.SessionSuffix);
}

std::string StateBaseName(const std::string& category) {
    std::string base = category;
    for (char& c : base) {
        if (c == ' ' || c == '/' || c == '?' || c == '\\') c = '_';
    }
    return base;
}

std::vector<std::string> AllStateCategories(const Context& ctx) {
    std::vector<std::string> categories;
    for (const FolderCategory& category : kFolderCategories)
        categories.emplace_back(category.name);
    for (int row = 0; row < ctx.state.MaxAudioPaths; ++row)
        categories.push_back(AudioCategoryName(row));
    return categories;
}

std::vector<std::string> ParseStateText(const std::string& text) {
    std::vector<std::string_view> parts = SplitLines(text);
    // The text after the final line break is not a name.
    if (!parts.empty()) parts.pop_back();
    return std::vector<std::string>(parts.begin(), parts.end());
}

bool LoadStateFile(const Context& ctx, const std::string& category, std::vector<std::string>& names,
                   bool pending) {
    names.clear();
    if (!FolderExists(StateFolder(ctx))) return false;
    return LoadNames(CategoryFilePath(ctx, category, pending), names);
}

void SaveStateFile(const Context& ctx, const std::string& category,
                   const std::vector<std::string>& names, bool pending) {
    if (!EnsureFolder(StateFolder(ctx))) return;
    SaveNames(CategoryFilePath(ctx, category, pending), names);
}

namespace {

std::string PairRecordPath(const Context& ctx, const std::string& category) {
    return StateFolder(ctx) + kSep + StateBaseName(category) + kPairExtension;
}

std::string PairRecordText(const std::string& localPath, const std::string& remotePath) {
    return localPath + std::string(kLineBreak) + remotePath + std::string(kLineBreak);
}

}  // namespace

void SaveStatePair(const Context& ctx, const std::string& category, const std::string& localPath,
                   const std::string& remotePath) {
    if (!EnsureFolder(StateFolder(ctx))) return;
    const std::string path = PairRecordPath(ctx, category);
    const std::string text = PairRecordText(localPath, remotePath);
    // Most runs scan the same folders again: no rewrite (and no flush) for an unchanged pair.
    if (platform::ReadWholeFile(path) == text) return;
    platform::WriteFileAtomic(path, text);
}

bool StatePairMatches(const Context& ctx, const std::string& category, const std::string& localPath,
                      const std::string& remotePath) {
    if (StateFolder(ctx).empty()) return true;
    const std::optional<std::string> text = platform::ReadWholeFile(PairRecordPath(ctx, category));
    return !text || *text == PairRecordText(localPath, remotePath);
}

void DeleteStateFiles(const Context& ctx, const std::string& category) {
    if (!FolderExists(StateFolder(ctx))) return;
    platform::RemoveFile(CategoryFilePath(ctx, category, false));
    platform::RemoveFile(CategoryFilePath(ctx, category, true));
}

void DeleteAllStateFiles(const Context& ctx, bool pending) {
    if (!FolderExists(StateFolder(ctx))) return;
    for (const std::string& category : AllStateCategories(ctx)) {
        platform::RemoveFile(CategoryFilePath(ctx, category, pending));
    }
}

void CommitStateFiles(const Context& ctx) {
    if (!FolderExists(StateFolder(ctx))) return;
    for (const std::string& category : AllStateCategories(ctx)) {
        const std::string pendingPath = CategoryFilePath(ctx, category, true);
        // A committed file that is still there keeps its place: both files stay.
        if (FileExists(pendingPath)) {
            platform::RenameNoReplace(pendingPath, CategoryFilePath(ctx, category, false));
        }
    }
}

void RemoveFromPendingStates(const Context& ctx, const std::string& fileName) {
    const std::string folder = StateFolder(ctx);
    if (!FolderExists(folder)) return;
    const auto listed = platform::ListFolder(folder, std::string("*") + kPendingExtension);
    if (!listed) return;
    for (const std::string& entry : *listed) {
        // Addressed by the listed name itself, so a differently cased extension is the
        // file that gets rewritten, not a new one beside it.
        const std::string path = folder + kSep + entry;
        std::vector<std::string> names;
        if (!LoadNames(path, names)) continue;
        if (BlankOutName(names, fileName)) SaveNames(path, names);
    }
}

std::vector<StateRecord> ParseRecordText(const std::string& text) {
    std::vector<StateRecord> records;
    if (text.size() < kShortestRecordText) return records;
    for (std::string_view line : SplitLines(text)) {
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != kRecordFieldCount) continue;
        records.push_back(StateRecord{std::string(fields[0]), std::string(fields[1]),
                                      std::string(fields[2]), std::string(fields[3])});
    }
    return records;
}

}  // namespace vfs
