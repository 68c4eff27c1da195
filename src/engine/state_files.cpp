#include "engine/state_files.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <string_view>

#include "engine/activity_log.h"
#include "engine/text_helpers.h"
#include "form/folder_categories.h"
#include "platform/file_system.h"
#include "platform/name_patterns.h"
#include "platform/record_file.h"
#include "platform/system_error.h"

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
constexpr const char* kSidesExtension = ".sides";
constexpr const char* kPendingSidesExtension = ".sides-new";

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// The lines of a diagnostic record text: blanks around the whole text dropped, split at
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

std::string SidesFilePath(const Context& ctx, const std::string& category, bool pending) {
    return StateFolder(ctx) + kSep + StateBaseName(category) +
           (pending ? kPendingSidesExtension : kSidesExtension);
}

bool LoadNames(const std::string& path, std::vector<std::string>& names) {
    names.clear();
    const std::optional<std::string> text = platform::ReadRegularFile(path);
    if (!text || text->empty()) return false;
    names = ParseStateText(*text);
    return !names.empty();
}

// Writes a state text name by name: CR LF after every name. Nothing written would leave a
// zero-length file, which reads back as no file at all and blocks the commit of later runs;
// one empty line records "no names".
class StateTextWriter {
  public:
    explicit StateTextWriter(const std::string& path) : file_(path) {}

    void Add(std::string_view name) {
        if (name.empty()) return;
        file_.Write(name);
        file_.Write(kLineBreak);
        empty_ = false;
    }
    bool Finish() {
        if (empty_) file_.Write(kLineBreak);
        return file_.Commit();
    }

  private:
    platform::AtomicFileWriter file_;
    bool empty_ = true;
};

bool WriteNames(const std::string& path,
                const std::function<void(const StateNameSink& sink)>& names) {
    StateTextWriter writer(path);
    names([&](std::string_view name) { writer.Add(name); });
    return writer.Finish();
}

// The names of a list, handed out one after the other.
std::function<void(const StateNameSink& sink)> EachName(const std::vector<std::string>& names) {
    return [&names](const StateNameSink& sink) {
        for (const std::string& name : names)
            sink(name);
    };
}

// Every name of a state text, in order: each line ended by CR LF; the text after the final
// line break is not a name.
template <typename Each>
void ForEachStateName(std::string_view text, Each&& each) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(kLineBreak, start);
        if (at == std::string_view::npos) break;
        each(text.substr(start, at - start));
        start = at + kLineBreak.size();
    }
}

bool EnsureFolder(const std::string& folder) {
    return FolderExists(folder) || MakeFolderPath(folder);
}

// The first failed write of the run's record and the system's reason for it.
void NoteRecordWriteFailure(Context& ctx, int error) {
    if (!ctx.state.RecordWriteFailure.empty()) return;
    ctx.state.RecordWriteFailure = error != 0 ? platform::ErrorText(error) : "Write failed";
}

// Writes a record file; a failure is noted for the commit.
void WriteRecord(Context& ctx, const std::string& path, const std::string& text) {
    errno = 0;
    if (!platform::WriteFileAtomic(path, text)) NoteRecordWriteFailure(ctx, errno);
}

void WriteRecord(Context& ctx, const std::string& path, const std::vector<std::string>& names) {
    errno = 0;
    if (!WriteNames(path, EachName(names))) NoteRecordWriteFailure(ctx, errno);
}

// Blanks out every entry equal to the name regardless of case; true when one was found.
bool BlankOutName(std::vector<std::string>& names, const std::string& fileName) {
    bool replaced = false;
    for (std::string& name : names) {
        if (!name.empty() && SameTextIgnoringCase(name, fileName)) {
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
    // Every name exactly as written: a blank at either end is part of the name (" show.kvo"
    // and "show.kvo" are two files), and there is no limit on the count, or the late names
    // of a large folder would be taken for new files and deletions reverted.
    std::vector<std::string> names;
    ForEachStateName(text, [&](std::string_view name) { names.emplace_back(name); });
    return names;
}

bool LoadStateFile(const Context& ctx, const std::string& category, std::vector<std::string>& names,
                   bool pending) {
    names.clear();
    if (!FolderExists(StateFolder(ctx))) return false;
    return LoadNames(CategoryFilePath(ctx, category, pending), names);
}

bool LoadStateFile(const Context& ctx, const std::string& category, platform::NameTable& names,
                   bool pending) {
    names.Clear();
    if (!FolderExists(StateFolder(ctx))) return false;
    const std::optional<std::string> text =
        platform::ReadRegularFile(CategoryFilePath(ctx, category, pending));
    if (!text || text->empty()) return false;
    bool complete = true;
    ForEachStateName(*text, [&](std::string_view name) { complete = names.Add(name) && complete; });
    // A table that could not take every name would pass recorded names for new ones.
    if (!complete || names.Size() == 0) {
        names.Clear();
        return false;
    }
    names.Seal();
    return true;
}

void SaveStateFile(Context& ctx, const std::string& category,
                   const std::function<void(const StateNameSink& sink)>& names, bool pending) {
    if (ctx.state.Preview) return;
    errno = 0;
    if (!EnsureFolder(StateFolder(ctx))) {
        if (pending) NoteRecordWriteFailure(ctx, errno);
        return;
    }
    const std::string path = CategoryFilePath(ctx, category, pending);
    errno = 0;
    if (!WriteNames(path, names) && pending) NoteRecordWriteFailure(ctx, errno);
}

void SaveStateFile(Context& ctx, const std::string& category, const std::vector<std::string>& names,
                   bool pending) {
    SaveStateFile(ctx, category, EachName(names), pending);
}

namespace {

constexpr std::string_view kLastSyncKey = "LastSync=";
constexpr std::string_view kLocalFileSystemKey = "LocalFileSystem=";
constexpr std::string_view kRemoteFileSystemKey = "RemoteFileSystem=";
constexpr std::string_view kLocalIdentityKey = "LocalFolder=";
constexpr std::string_view kRemoteIdentityKey = "RemoteFolder=";

std::optional<std::string> TextAfter(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) return std::nullopt;
    return std::string(line.substr(key.size()));
}

// An identity is one line of the record, whatever the mount table held.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n') c = '?';
    }
    return text;
}

std::string PairRecordPath(const Context& ctx, const std::string& category) {
    return StateFolder(ctx) + kSep + StateBaseName(category) + kPairExtension;
}

template <typename Number>
std::optional<Number> ValueAfter(std::string_view line, std::string_view key) {
    if (!line.starts_with(key)) return std::nullopt;
    line.remove_prefix(key.size());
    Number value{};
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (error != std::errc() || end != line.data() + line.size()) return std::nullopt;
    return value;
}

}  // namespace

std::string PairRecordText(const PairRecord& record) {
    const std::string br(kLineBreak);
    std::string text = record.localPath + br + record.remotePath + br;
    if (record.lastSync) text += std::string(kLastSyncKey) + std::to_string(*record.lastSync) + br;
    if (record.localFileSystem) {
        text += std::string(kLocalFileSystemKey) + std::to_string(*record.localFileSystem) + br;
    }
    if (record.remoteFileSystem) {
        text += std::string(kRemoteFileSystemKey) + std::to_string(*record.remoteFileSystem) + br;
    }
    if (record.localIdentity) {
        text += std::string(kLocalIdentityKey) + OneLine(*record.localIdentity) + br;
    }
    if (record.remoteIdentity) {
        text += std::string(kRemoteIdentityKey) + OneLine(*record.remoteIdentity) + br;
    }
    return text;
}

std::optional<PairRecord> ParsePairRecord(const std::string& text) {
    const std::vector<std::string> lines = ParseStateText(text);
    if (lines.size() < 2) return std::nullopt;
    PairRecord record{lines[0], lines[1], {}, {}, {}, {}, {}};
    for (std::size_t i = 2; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (auto v = ValueAfter<int64_t>(line, kLastSyncKey)) record.lastSync = v;
        if (auto v = ValueAfter<uint64_t>(line, kLocalFileSystemKey)) record.localFileSystem = v;
        if (auto v = ValueAfter<uint64_t>(line, kRemoteFileSystemKey)) record.remoteFileSystem = v;
        if (auto v = TextAfter(line, kLocalIdentityKey)) record.localIdentity = v;
        if (auto v = TextAfter(line, kRemoteIdentityKey)) record.remoteIdentity = v;
    }
    return record;
}

std::optional<PairRecord> LoadStatePair(const Context& ctx, const std::string& category) {
    if (StateFolder(ctx).empty()) return std::nullopt;
    const std::optional<std::string> text =
        platform::ReadRegularFile(PairRecordPath(ctx, category));
    if (!text) return std::nullopt;
    return ParsePairRecord(*text);
}

void NoteScannedPair(Context& ctx, const ScannedPair& pair) {
    std::erase_if(ctx.state.ScannedPairs,
                  [&](const ScannedPair& p) { return p.category == pair.category; });
    ctx.state.ScannedPairs.push_back(pair);
}

void DeleteStateFiles(const Context& ctx, const std::string& category) {
    if (ctx.state.Preview) return;
    if (!FolderExists(StateFolder(ctx))) return;
    platform::RemoveFile(CategoryFilePath(ctx, category, false));
    platform::RemoveFile(CategoryFilePath(ctx, category, true));
    // The pair record goes with the names: a pair whose state was discarded (its path chosen
    // again, its row moved) starts afresh, also on a file system other than the recorded one.
    platform::RemoveFile(PairRecordPath(ctx, category));
    platform::RemoveFile(SidesFilePath(ctx, category, false));
    platform::RemoveFile(SidesFilePath(ctx, category, true));
}

void DeleteAllStateFiles(const Context& ctx, bool pending) {
    if (ctx.state.Preview) return;
    if (!FolderExists(StateFolder(ctx))) return;
    for (const std::string& category : AllStateCategories(ctx)) {
        platform::RemoveFile(CategoryFilePath(ctx, category, pending));
        platform::RemoveFile(SidesFilePath(ctx, category, pending));
    }
}

namespace {

// Writes the record of every scanned pair whose pending state is there to be committed.
void WritePairRecords(Context& ctx) {
    for (const ScannedPair& pair : ctx.state.ScannedPairs) {
        if (!platform::IsRegularFile(CategoryFilePath(ctx, pair.category, true))) continue;
        // An identity not known is not written: a record without one checks nothing.
        const auto known = [](const std::string& identity) {
            return identity.empty() ? std::nullopt : std::optional<std::string>(identity);
        };
        const PairRecord record{pair.localPath,
                                pair.remotePath,
                                pair.scanStarted,
                                {},
                                {},
                                known(pair.localIdentity),
                                known(pair.remoteIdentity)};
        const std::string path = PairRecordPath(ctx, pair.category);
        const std::string text = PairRecordText(record);
        // No rewrite (and no flush) for an unchanged record.
        if (platform::ReadRegularFile(path) == text) continue;
        WriteRecord(ctx, path, text);
        if (!ctx.state.RecordWriteFailure.empty()) return;
    }
}

// The sides go with the names they describe: a run that wrote none leaves none from an
// earlier run behind, which would describe files this run did not see.
bool ReplaceSides(Context& ctx, const std::string& category) {
    const std::string pending = SidesFilePath(ctx, category, true);
    const std::string committed = SidesFilePath(ctx, category, false);
    // Tasks appended to it without a flush each; it is made durable once, here.
    if (platform::IsRegularFile(pending)) {
        return platform::FlushFileToDisk(pending) && platform::ReplaceByRename(pending, committed);
    }
    return !platform::IsRegularFile(committed) || platform::RemoveFile(committed);
}

void ReplaceCommittedStates(Context& ctx) {
    for (const std::string& category : AllStateCategories(ctx)) {
        const std::string pendingPath = CategoryFilePath(ctx, category, true);
        if (!platform::IsRegularFile(pendingPath)) continue;
        errno = 0;
        if (!ReplaceSides(ctx, category) ||
            !platform::ReplaceByRename(pendingPath, CategoryFilePath(ctx, category, false))) {
            return NoteRecordWriteFailure(ctx, errno);
        }
    }
}

void CommitNothing(Context& ctx) {
    DeleteAllStateFiles(ctx, true);
    const std::string text = " - Sync    Sync Record Not Saved, Nothing Committed [" +
                             ctx.state.RecordWriteFailure + "]";
    ctx.form.lblStatus.SetCaption(TimeStamp(ctx) + text);
    LogProblem(ctx, TimeStamp(ctx) + text);
    ctx.state.RunHadFailure = true;
    ctx.state.LastRunTrouble = text.substr(std::string(" - Sync    ").size());
}

}  // namespace

void CommitStateFiles(Context& ctx) {
    if (ctx.state.Preview) return BeginRunRecord(ctx);
    if (FolderExists(StateFolder(ctx))) {
        if (ctx.state.RecordWriteFailure.empty()) WritePairRecords(ctx);
        if (ctx.state.RecordWriteFailure.empty()) ReplaceCommittedStates(ctx);
    }
    // Also when the state folder itself could not be made: the run still has to say so.
    if (!ctx.state.RecordWriteFailure.empty()) CommitNothing(ctx);
    BeginRunRecord(ctx);
}

void BeginRunRecord(Context& ctx) {
    ctx.state.ScannedPairs.clear();
    ctx.state.ShareTroubleCategories.clear();
    ctx.state.RecordWriteFailure.clear();
}

void RemoveFromPendingStates(Context& ctx, const std::string& fileName) {
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
        if (BlankOutName(names, fileName)) WriteRecord(ctx, path, names);
    }
}

void KeepInPendingState(Context& ctx, const std::string& category, const std::string& fileName) {
    errno = 0;
    if (!EnsureFolder(StateFolder(ctx))) return NoteRecordWriteFailure(ctx, errno);
    const std::string path = CategoryFilePath(ctx, category, true);
    std::vector<std::string> names;
    LoadNames(path, names);
    for (const std::string& name : names) {
        if (name == fileName) return;
    }
    names.push_back(fileName);
    WriteRecord(ctx, path, names);
}

namespace {

constexpr char kSidesSeparator = '\x01';

std::optional<int64_t> NumberOf(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

void SyncedSidesTable::Load(const std::string& text, bool ignoreCase) {
    ignoreCase_ = ignoreCase;
    sides_.clear();
    ForEachStateName(text, [&](std::string_view line) {
        const std::vector<std::string_view> fields = SplitFields(line);
        if (fields.size() != 5 || fields[0].empty()) return;
        const auto ls = NumberOf(fields[1]), lz = NumberOf(fields[2]);
        const auto rs = NumberOf(fields[3]), rz = NumberOf(fields[4]);
        if (!ls || !lz || !rs || !rz) return;
        sides_[Key(fields[0])] = SyncedSides{*ls, *lz, *rs, *rz};
    });
}

std::string SyncedSidesTable::Key(std::string_view name) const {
    return ignoreCase_ ? platform::FoldCase(name) : std::string(name);
}

const SyncedSides* SyncedSidesTable::Find(std::string_view name) const {
    if (sides_.empty()) return nullptr;
    const auto found = sides_.find(Key(name));
    return found == sides_.end() ? nullptr : &found->second;
}

bool LoadSyncedSides(const Context& ctx, const std::string& category, SyncedSidesTable& table,
                     bool ignoreCase) {
    table.Load({}, ignoreCase);
    if (StateFolder(ctx).empty()) return false;
    const std::optional<std::string> text =
        platform::ReadRegularFile(SidesFilePath(ctx, category, false));
    if (!text) return false;
    table.Load(*text, ignoreCase);
    return !table.Empty();
}

std::string SyncedSidesLine(std::string_view name, const SyncedSides& sides) {
    std::string line(name);
    for (int64_t value :
         {sides.localSeconds, sides.localSize, sides.remoteSeconds, sides.remoteSize}) {
        line += kSidesSeparator;
        line += std::to_string(value);
    }
    line += kLineBreak;
    return line;
}

SyncedSidesWriter::SyncedSidesWriter(Context& ctx, const std::string& category) : ctx_(ctx) {
    if (ctx.state.Preview || StateFolder(ctx).empty()) return;
    // The first run of a session makes the folder here; a folder that cannot be made is
    // reported when the writer finishes.
    EnsureFolder(StateFolder(ctx));
    file_ = std::make_unique<platform::AtomicFileWriter>(SidesFilePath(ctx, category, true));
}

void SyncedSidesWriter::Add(std::string_view name, const SyncedSides& sides) {
    if (file_) file_->Write(SyncedSidesLine(name, sides));
}

void SyncedSidesWriter::Finish() {
    if (!file_) return;
    errno = 0;
    // Without any line the file is still written: it says "nothing recorded".
    if (!file_->Commit()) NoteRecordWriteFailure(ctx_, errno);
    file_.reset();
}

void AddSyncedSides(Context& ctx, const std::string& category, std::string_view name,
                    const SyncedSides& sides) {
    if (ctx.state.Preview || StateFolder(ctx).empty()) return;
    const std::string path = SidesFilePath(ctx, category, true);
    // Only a scan's record is added to: a copy of a run whose record could not be written
    // has nothing to add to.
    if (!platform::IsRegularFile(path)) return;
    errno = 0;
    if (!platform::AppendToFile(path, SyncedSidesLine(name, sides))) {
        NoteRecordWriteFailure(ctx, errno);
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
