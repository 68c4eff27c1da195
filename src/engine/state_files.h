// Previous-sync state files: per folder category, the names the pair held on both sides
// after the last completed sync (".dat", committed) and the names written by the scan of
// the current run (".tmp", pending). One name per line, CR LF.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/context.h"
#include "engine/file_helpers.h"
#include "platform/file_system.h"
#include "platform/name_table.h"

namespace vfs {

// programFolder + "/VarnelFileSyncSettings" + SessionSuffix, doubled separators collapsed.
// Empty when the program folder is empty or relative: the routines then act as for a
// missing folder and never write beside the current directory or at the file-system root.
std::string StateFolder(const Context& ctx);
// Category name with every blank, '/', '?' and '\' replaced by '_'.
std::string StateBaseName(const std::string& category);
// Every category name whose state the all-category routines treat, in table order:
// the fixed categories, then the audio rows 1 .. MaxAudioPaths.
std::vector<std::string> AllStateCategories(const Context& ctx);

// Read-back rules applied to a state file's whole text.
std::vector<std::string> ParseStateText(const std::string& text);

bool LoadStateFile(const Context& ctx, const std::string& category, std::vector<std::string>& names,
                   bool pending);
// The same names kept in a name table, sealed for look-ups; the table is left empty when
// there are none.
bool LoadStateFile(const Context& ctx, const std::string& category, platform::NameTable& names,
                   bool pending);
// A failed write of the pending state is noted in RecordWriteFailure (see CommitStateFiles).
void SaveStateFile(Context& ctx, const std::string& category, const std::vector<std::string>& names,
                   bool pending);
// The same for names handed out one after the other: `names` is called once and gives each
// name to the sink, and the file is written as they come, so the names of a large pair are
// never gathered in one text.
using StateNameSink = std::function<void(std::string_view name)>;
void SaveStateFile(Context& ctx, const std::string& category,
                   const std::function<void(const StateNameSink& sink)>& names, bool pending);
// Discards a pair's state: committed and pending names and its pair record.
void DeleteStateFiles(const Context& ctx, const std::string& category);
void DeleteAllStateFiles(const Context& ctx, bool pending);
// Ends a run's record: the pair records of the scanned pairs are written (with the time of
// their scan as the time of the last completed sync), then every pending state file
// replaces its committed one. When any write of the run's record failed, nothing is
// committed: the pending files are removed (which needs no space), the committed state stays
// as it was before the run, and the run fails with a line that says why. A name is never
// recorded as synced because its removal could not be written.
void CommitStateFiles(Context& ctx);
// Starts the record of a new run: what a run that never reached its commit noted (the pairs
// it scanned, a failed write) is not this run's.
void BeginRunRecord(Context& ctx);
void RemoveFromPendingStates(Context& ctx, const std::string& fileName);
// Puts a name (back) into a category's pending state: a Delete that failed leaves the file
// where it was, and the next run must decide the same way and try the deletion again
// rather than take the survivor for a new file and copy it back.
void KeepInPendingState(Context& ctx, const std::string& category, const std::string& fileName);

// The record of the folder pair a category's state belongs to, kept beside its state files
// (base name + ".pair"): the local and the remote folder, one per line, then the time of the
// pair's last completed sync and the identity of each folder then (which folder of which
// file system it was). Records of two lines (written before the rest was kept) read as pairs
// with no time and no identities; records that kept device numbers instead of identities
// read with those.
// Without this record a pair whose folders were changed in the settings file would be
// compared with the old pair's names, and files missing from the new folder would be taken
// for deletions.
struct PairRecord {
    std::string localPath;
    std::string remotePath;
    std::optional<int64_t> lastSync;          // UTC seconds since the epoch
    std::optional<uint64_t> localFileSystem;  // device numbers, in records of earlier versions
    std::optional<uint64_t> remoteFileSystem;
    std::optional<std::string> localIdentity;
    std::optional<std::string> remoteIdentity;
};
std::string PairRecordText(const PairRecord& record);
std::optional<PairRecord> ParsePairRecord(const std::string& text);
// Nothing when there is no record, or none that can be read as one.
std::optional<PairRecord> LoadStatePair(const Context& ctx, const std::string& category);
// Notes the scanned pair for the commit of this run (a later scan of the category wins).
void NoteScannedPair(Context& ctx, const ScannedPair& pair);

// What each side held under a name at the last completed sync: its modified time (UTC
// seconds) and size. A side that did not change since then does not win over one that did,
// whatever the two clocks say; and a file system that cannot hold a copy's time exactly (in
// 2-second steps, or stamping its own clock) is not taken for an edit on the next runs.
struct SyncedSides {
    int64_t localSeconds = 0;
    int64_t localSize = 0;
    int64_t remoteSeconds = 0;
    int64_t remoteSize = 0;
};

// The synced sides of a pair's names, kept beside its state files (base name + ".sides",
// pending ".sides-new"): one line per name, later lines of a name overriding earlier ones,
// so a task can add the sides of the file it copied without rewriting the rest.
class SyncedSidesTable {
  public:
    // Names are matched without regard to case where the pair's file systems fold it.
    void Load(const std::string& text, bool ignoreCase);
    const SyncedSides* Find(std::string_view name) const;
    bool Empty() const { return sides_.empty(); }

  private:
    std::string Key(std::string_view name) const;

    bool ignoreCase_ = false;
    std::unordered_map<std::string, SyncedSides> sides_;
};
bool LoadSyncedSides(const Context& ctx, const std::string& category, SyncedSidesTable& table,
                     bool ignoreCase);
// One line of the record.
std::string SyncedSidesLine(std::string_view name, const SyncedSides& sides);
// The pending record of a scan, written as the comparison settles names; nothing reaches
// the pending file before Finish, and a scan that stops leaves none.
class SyncedSidesWriter {
  public:
    SyncedSidesWriter(Context& ctx, const std::string& category);
    void Add(std::string_view name, const SyncedSides& sides);
    void Finish();

  private:
    Context& ctx_;
    std::unique_ptr<platform::AtomicFileWriter> file_;
};
// Adds the sides of a name to the category's pending record (a task's copy is done).
void AddSyncedSides(Context& ctx, const std::string& category, std::string_view name,
                    const SyncedSides& sides);

// The diagnostic record form: fields separated by the character with code 1.
struct StateRecord {
    std::string FileName;
    std::string dateText;
    std::string sizeText;
    std::string onOtherSideText;
};
std::vector<StateRecord> ParseRecordText(const std::string& text);

}  // namespace vfs
