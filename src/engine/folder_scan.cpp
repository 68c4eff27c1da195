#include "engine/folder_scan.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "engine/activity_log.h"
#include "engine/backups.h"
#include "engine/file_helpers.h"
#include "engine/name_matching.h"
#include "engine/run_summary.h"
#include "engine/scan_decisions.h"
#include "engine/state_files.h"
#include "engine/task_line.h"
#include "platform/file_system.h"
#include "platform/folder_traits.h"
#include "platform/name_patterns.h"
#include "platform/name_table.h"
#include "platform/open_folder.h"
#include "platform/record_file.h"

namespace vfs {

namespace {

// Every 20th file refreshes the clock and the tray icon; more often only costs time.
constexpr std::size_t kDisplayRefreshEvery = 20;
constexpr const char* kDecisionHead = " -         ";
// The second folder of a delete, which has none.
const std::string kNoFolder;

// Where the scan of a pair was when it stopped: the number after "Error:" in the error line.
// The stages of one file add the file's position in its list (from 1), so the line tells
// which file the scan was at.
constexpr int32_t kStageFoldersChecked = 1;
constexpr int32_t kStageListingLocal = 2;
constexpr int32_t kStageListingRemote = 3;
constexpr int32_t kStageReadingLocal = 4;
constexpr int32_t kStageReadingRemote = 5;
constexpr int32_t kStageComparingLocal = 61;
constexpr int32_t kStageComparingRemote = 7;
constexpr int32_t kStageSaving = 8;
constexpr int32_t kStageFolderInvalid = 9;
constexpr int32_t kStageLocalFile = 60000;     // a local file being compared
constexpr int32_t kStageLocalOnly = 61000;     // a local file the remote side lacks
constexpr int32_t kStageDateRule = 62000;      // a file on both sides, times compared
constexpr int32_t kStageRemoteFile = 70000;    // a remote file being compared
constexpr int32_t kStageRemoteOnly = 71000;    // a remote file the local side lacks
constexpr int32_t kStageRemoteOnBoth = 72000;  // a remote file the local pass settled

int32_t FileStage(int32_t base, std::size_t position) {
    return base + static_cast<int32_t>(position);
}

// Nearest whole number, halves to the even neighbour (the default rounding mode).
int RoundHalfEven(double x) {
    return static_cast<int>(std::nearbyint(x));
}

// A name the task-line and state-file formats cannot carry (quote, CR, LF or any other
// control character). '*' and '?' are ordinary name characters here ("Why?.mp3").
bool CanBeSynced(std::string_view name) {
    for (unsigned char c : name) {
        if (c < 0x20 || c == '"') return false;
    }
    return true;
}

// The name as it may appear in a log line: control characters would break the line apart.
std::string Printable(std::string name) {
    for (char& c : name) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    return name;
}

// One listed file as the scan keeps it. Its name lies in its side's name table under the
// same number; a pair of many thousand files keeps no string per file.
struct ScannedFile {
    int64_t modifiedSeconds = 0;  // UTC seconds since the epoch
    int64_t size = 0;
    int64_t changedSeconds = 0;  // the inode's change time
    uint32_t modifiedNanoseconds = 0;
    bool readable = false;  // false for a file that could not be read (a blank entry)
    bool onOtherSide = false;
};
static_assert(sizeof(ScannedFile) <= 32, "kept once per listed file");

// The files of one folder in listing order, their names in a table of their own.
struct ScannedSide {
    platform::NameTable names;
    std::vector<ScannedFile> files;
};

// One task decided by the comparison, queued only once the whole pair has been compared.
// It names its file by number and its folders by side, so a pair of many thousand files
// keeps a few bytes per task.
struct PlannedTask {
    uint32_t file = 0;       // the file's number on its own side
    uint32_t decidedAt = 0;  // the clock when the decision was made, in the scan's stamps
    // A replacement: the remote copy as the date rule read it, in the scan's list of those.
    uint32_t remoteRead = 0;
    uint8_t kind = kTaskCopy;
    Reason reason = Reason::LocalNotSynced;
    bool fileIsRemote = false;   // the file was listed in the remote folder
    bool firstIsRemote = false;  // the first folder of the task line is the remote one
};
static_assert(sizeof(PlannedTask) <= 16, "kept once per decided task");

// A name the pending state records: the number of a file of either side.
struct RecordedName {
    uint32_t file = 0;
    bool remote = false;
};

// What the scan's look-up found of a file it could read.
platform::EntryState StateOf(const ScannedFile& file) {
    platform::EntryState state;
    state.exists = true;
    state.regular = true;
    state.size = file.size;
    state.modifiedSeconds = file.modifiedSeconds;
    state.modifiedNanoseconds = file.modifiedNanoseconds;
    state.changedSeconds = file.changedSeconds;
    return state;
}

ScannedFile FromInfo(const platform::FileInfo& info) {
    ScannedFile file;
    file.modifiedSeconds = info.modifiedSeconds;
    file.size = info.size;
    file.changedSeconds = info.changedSeconds;
    file.modifiedNanoseconds = static_cast<uint32_t>(info.modifiedNanoseconds);
    file.readable = true;
    return file;
}

// A changed side: another time or size than at the last completed sync.
bool Differs(const ScannedFile& now, int64_t seconds, int64_t size) {
    return now.modifiedSeconds != seconds || now.size != size;
}

// What a step tells the routine: go on, stop quietly (already reported), or report an error.
enum class Next { Go, Stop, Error };

class PairScan {
  public:
    PairScan(Context& ctx, const std::string& localPath, const std::string& remotePath,
             const std::string& pattern, const std::string& category)
        : ctx_(ctx),
          fs_(*ctx.ports.fileSystem),
          local_(localPath),
          remote_(remotePath),
          pattern_(pattern),
          cat_(category) {}

    void Run() {
        Start();
        if (CheckFolders() == Next::Stop) return;
        if (Normalise() == Next::Go) {
            LoadPairRecord();
            if (CheckFileSystems() == Next::Stop) return;
            if (ListBoth() == Next::Error) return ReportError();
            SettleCase();
            ReadLocal();
            ReadRemote();
            ForgetListings();
            LoadPrevious();
            CompareBoth();
            if (!QueuePlan()) return;
            ReleasePlan();
            Save();
        }
        Finish();
    }

  private:
    // Tells the operator which pair is being scanned and shows the task bar.
    void Start() {
        step_ = "Creating Variables";
        scanStarted_ = std::chrono::duration_cast<std::chrono::seconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
        step_ = "Starting Scan";
        ctx_.form.lblStatus.SetCaption(TimeStamp(ctx_) + " - Scanning " + cat_ + " Files...");
        step_ = "Starting Scan (1)";
        LogLine(ctx_, TimeStamp(ctx_) + " - Scan    Started Scanning " + cat_);
        step_ = "Starting Scan (2)";
        ctx_.form.pbTask.SetVisible(true);
        ctx_.form.lblPbTask.SetVisible(true);
        SetProgress(1);
    }

    // Both folders must be there; otherwise the pair is left alone.
    Next CheckFolders() {
        step_ = "Gathering Path Info";
        if (!FolderExists(fs_, local_)) return StopOnMissing(local_, "Invalid Local Path");
        if (!FolderExists(fs_, remote_)) return StopOnMissing(remote_, "Invalid Remote Path");
        return Next::Go;
    }

    Next StopOnMissing(const std::string& path, const std::string& reason) {
        step_ = path + " Does Not Exist Or Is Unreachable";
        ReportUnreachable(TimeStamp(ctx_) + " - Scan    Stopped Scanning " + cat_ +
                          " Files: " + reason);
        return Next::Stop;
    }

    // Gives both folders their trailing separator and the pattern its default, then checks
    // the folders once more in that form.
    Next Normalise() {
        step_ = "Validating Source Paths";
        local_ = WithTrailingSeparator(local_);
        remote_ = WithTrailingSeparator(remote_);
        if (pattern_.empty()) pattern_ = "*.*";
        SetProgress(3);
        stage_ = kStageFoldersChecked;
        step_ = "Searching for files in local and remote paths";
        if (FolderExists(fs_, local_) && FolderExists(fs_, remote_)) return Next::Go;
        stage_ = kStageFolderInvalid;
        ReportUnreachable(TimeStamp(ctx_) + " - Scan    Invalid " + cat_ + " Path Specified");
        return Next::Stop;
    }

    // The record of this pair's last completed sync; one kept for other folders says
    // nothing about these.
    void LoadPairRecord() {
        localFileSystem_ = fs_.FileSystemId(local_);
        remoteFileSystem_ = fs_.FileSystemId(remote_);
        localTraits_ = fs_.DescribeFolder(local_);
        remoteTraits_ = fs_.DescribeFolder(remote_);
        if (ctx_.state.FirstRun || ctx_.state.Abnormal == 1) return;
        std::optional<PairRecord> record = LoadStatePair(ctx_, cat_);
        if (record && (record->localPath != local_ || record->remotePath != remote_)) {
            ctx_.ports.debug("Previous " + cat_ + " contents belong to other folders; not used");
            otherPair_ = true;
            return;
        }
        if (record) record_ = std::move(*record);
    }

    // A share that is not mounted leaves its bare mount point, and a share mounted over a
    // folder that was synced bare hides what was synced: either way the previous contents
    // would turn the files of the other side into deletions. The pair stops, keeping its
    // state, until the operator remounts the share or chooses the path again.
    Next CheckFileSystems() {
        const char* moved = nullptr;
        if (!SameSide(record_.localIdentity, record_.localFileSystem, localTraits_)) {
            moved = "Local";
        } else if (!SameSide(record_.remoteIdentity, record_.remoteFileSystem, remoteTraits_)) {
            moved = "Remote";
        }
        if (moved == nullptr) return Next::Go;
        const std::string message = "Stopped Scanning " + cat_ + " Files: " + moved +
                                    " Folder Is On Another File System Than At The Last Sync "
                                    "(Remount It Or Choose The Path Again)";
        ctx_.form.lblStatus.SetCaption(TimeStamp(ctx_) + " - " + message);
        LogProblem(ctx_, TimeStamp(ctx_) + " - Scan    " + message);
        ctx_.state.RunHadFailure = true;
        NotePairStopped(ctx_, cat_,
                        TimeStamp(ctx_) + " - " + message +
                            ". Nothing was copied or deleted; the state of the last sync is kept.");
        return Next::Stop;
    }

    // The folder that was synced last time, told by its identity, which a remount keeps and
    // a bare mount point, a bind mount or another share at the path do not. A record of an
    // earlier version kept the device number instead: network and FUSE file systems get a
    // new one at every mount, so there only the identity written from now on can tell.
    static bool SameSide(const std::optional<std::string>& identity,
                         const std::optional<uint64_t>& device,
                         const std::optional<platform::FolderTraits>& now) {
        if (identity) return now && now->identity == *identity;
        if (device) return now && (now->device == *device || now->deviceChangesOnMount);
        return true;
    }

    // Fresh listings of both folders, each folder kept open for the look-ups that follow;
    // whether a name is on the other side is answered from the other side's listing.
    Next ListBoth() {
        stage_ = kStageListingLocal;
        step_ = "Searching For " + pattern_ + " Files in " + local_;
        platform::ListedFolder localListing = fs_.ListAndOpen(local_, pattern_);
        localFolder_ = std::move(localListing.folder);
        if (!localListing.names || !localFolder_->IsOpen()) return Next::Error;
        stage_ = kStageListingRemote;
        step_ = "Searching For " + pattern_ + " Files in " + remote_;
        platform::ListedFolder remoteListing = fs_.ListAndOpen(remote_, pattern_);
        remoteFolder_ = std::move(remoteListing.folder);
        if (!remoteListing.names || !remoteFolder_->IsOpen()) return Next::Error;
        localNames_ = std::move(*localListing.names);
        remoteNames_ = std::move(*remoteListing.names);
        step_ = "Re-Dimensioning File Lists (Local:" + std::to_string(localNames_.size()) +
                " Files, Remote:" + std::to_string(remoteNames_.size()) + ")";
        if (!Reserve(localNames_, localSide_) || !Reserve(remoteNames_, remoteSide_)) {
            return Next::Error;
        }
        newContents_.reserve(localNames_.size() + remoteNames_.size());
        SetProgress(5);
        return Next::Go;
    }

    // Whether names are matched without regard to case: where either folder's file system
    // folds it, "Show.kvo" on one side and "show.kvo" on the other are one file. Asked of the
    // folders themselves; a folder without a name to ask goes by its file system's type.
    void SettleCase() {
        localFolds_ = FoldsCase(localNames_, *localFolder_, localTraits_);
        remoteFolds_ = FoldsCase(remoteNames_, *remoteFolder_, remoteTraits_);
        ignoreCase_ = localFolds_ || remoteFolds_;
        if (!ignoreCase_) return;
        FindCaseClashes(localNames_, local_, remoteFolds_ ? remote_ : local_);
        FindCaseClashes(remoteNames_, remote_, localFolds_ ? local_ : remote_);
    }

    static bool FoldsCase(const std::vector<std::string>& names, const platform::OpenFolder& folder,
                          const std::optional<platform::FolderTraits>& traits) {
        if (const std::optional<bool> probed = ProbeFoldsCase(names, folder)) return *probed;
        return traits && traits->foldsCase;
    }

    // Two names of one side that differ only in case meet one file on a side that folds
    // case: neither can be copied there, and neither may be deleted for want of a twin. They
    // are left alone, with a line that names them. The listing is sorted without regard to
    // case, so such names lie side by side.
    void FindCaseClashes(const std::vector<std::string>& names, const std::string& folder,
                         const std::string& foldingFolder) {
        for (std::size_t i = 1; i < names.size(); ++i) {
            if (!platform::SameFolded(names[i - 1], names[i])) continue;
            SkipForCase(folder, names[i - 1], names[i], foldingFolder);
        }
    }

    void SkipForCase(const std::string& folder, std::string_view a, std::string_view b,
                     const std::string& foldingFolder) {
        if (!caseSkipped_.insert(platform::FoldCase(a)).second) return;
        LogProblem(ctx_, TimeStamp(ctx_) + " - Scan    Skipped \"" + Printable(std::string(a)) +
                             "\" and \"" + Printable(std::string(b)) + "\" in " + folder +
                             ": the names differ only in case and " + foldingFolder +
                             " does not tell case apart");
        ++ctx_.state.Tally.filesSkipped;
    }

    bool SkippedForCase(std::string_view name) const {
        return !caseSkipped_.empty() && caseSkipped_.count(platform::FoldCase(name)) > 0;
    }

    // Room for a side's files and names. A side whose names a table cannot number (beyond
    // four thousand million names or bytes) is not scanned at all rather than in part.
    static bool Reserve(const std::vector<std::string>& names, ScannedSide& side) {
        std::size_t bytes = 0;
        for (const std::string& name : names)
            bytes += name.size();
        constexpr std::size_t kLimit = std::numeric_limits<uint32_t>::max();
        if (names.size() >= kLimit || bytes >= kLimit) return false;
        side.names.Reserve(names.size(), bytes);
        side.files.assign(names.size(), ScannedFile{});
        return true;
    }

    // Time and size of every local file, and whether the remote side has it too.
    void ReadLocal() {
        stage_ = kStageReadingLocal;
        step_ = "Analyzing " + local_ + " Contents";
        SortedWalk remoteListed(remoteNames_);
        if (ignoreCase_) remoteListed.IgnoreCase();
        ReadEntries(localNames_, local_, *localFolder_, remote_, *remoteFolder_, remoteFolds_,
                    remoteListed, 5, 15, localSide_);
    }

    // The same for the remote files, the folders swapped.
    void ReadRemote() {
        stage_ = kStageReadingRemote;
        step_ = "Analyzing " + remote_ + " Contents";
        SortedWalk localListed(localSide_.names);
        if (ignoreCase_) localListed.IgnoreCase();
        ReadEntries(remoteNames_, remote_, *remoteFolder_, local_, *localFolder_, localFolds_,
                    localListed, 20, 10, remoteSide_);
    }

    // Whether a name is on the other side has been asked for every listed name: what the
    // listings kept for those questions is let go before the tasks are queued, which is when
    // a scan of many thousand files needs its memory most.
    void ForgetListings() {
        localFolder_->ForgetListing();
        remoteFolder_->ForgetListing();
    }

    // One entry per listed name; a file that cannot be read becomes a blank entry. Every
    // name read moves into the side's table, and the listing is let go.
    void ReadEntries(std::vector<std::string>& names, const std::string& folder,
                     const platform::OpenFolder& open, const std::string& otherFolder,
                     const platform::OpenFolder& other, bool otherFolds, SortedWalk& otherListed,
                     int base, int span, ScannedSide& side) {
        const std::size_t n = names.size();
        for (std::size_t i = 1; i <= n; ++i) {
            std::string& name = names[i - 1];
            ScannedFile& file = side.files[i - 1];
            const std::optional<std::string_view> spelled = otherListed.Find(name);
            // A task names a file found on both sides by its local name. A remote twin spelled
            // otherwise on a remote side that tells case apart cannot be addressed by it: both
            // are left alone. (The remote pass meets such pairs settled already.)
            if (&side == &localSide_ && spelled && *spelled != name && !otherFolds) {
                SkipForCase(folder, name, *spelled, folder);
            }
            if (SkippedForCase(name)) {
                Blank(side, file, name);
                unreadable_.push_back(name);
                std::string().swap(name);
                continue;
            }
            // A look-up of the other side that fails is no proof the file is missing there:
            // taken for "not there", a dropped share would turn synced files into deletions.
            errno = 0;
            const platform::Presence twin = spelled || TwinLeftBlank(side, name)
                                                ? platform::Presence::Present
                                                : other.Lookup(name);
            if (twin == platform::Presence::Unknown) {
                NoteShareTrouble(errno);
                SkipUnreadable(otherFolder, name);
            } else if (errno = 0; !ReadFileInfo(open, name, file)) {
                NoteShareTrouble(errno);
                SkipUnreadable(folder, name);
            }
            if (twin == platform::Presence::Unknown || !file.readable) {
                Blank(side, file, name);
                std::string().swap(name);
                continue;
            }
            ShowFile(" - Scanning ", folder, name);
            ctx_.ports.yield();
            RefreshDisplayEvery20th(i);
            side.names.Add(name);
            std::string().swap(name);
            file.onOtherSide = twin == platform::Presence::Present;
            SetProgress(base + RoundHalfEven(span * static_cast<double>(i) / n));
            Pause();
        }
        std::vector<std::string>().swap(names);
    }

    void Blank(ScannedSide& side, ScannedFile& file, const std::string& name) {
        file = ScannedFile{};
        side.names.Add({});
        if (ignoreCase_ && &side == &localSide_) localBlanked_.insert(platform::FoldCase(name));
    }

    // A local file that could not be read is still there: a remote twin spelled otherwise,
    // which the local side's own look-up would not find, must not be taken for a file the
    // local side lacks (its deletion would follow).
    bool TwinLeftBlank(const ScannedSide& side, std::string_view name) const {
        return &side == &remoteSide_ && !localBlanked_.empty() &&
               localBlanked_.count(platform::FoldCase(name)) > 0;
    }

    // A file that could not be read because its share stopped answering is a failure of the
    // run, not a name left out quietly: every file of a dropped share would be.
    void NoteShareTrouble(int error) {
        if (platform::IsShareTrouble(error)) ctx_.state.RunHadFailure = true;
    }

    // A name that cannot be read now is left as the last sync recorded it: the comparison
    // goes on without it, and the next run decides about it afresh.
    void SkipUnreadable(const std::string& folder, const std::string& name) {
        LogProblem(ctx_,
                   TimeStamp(ctx_) + " - Scan    Error analyzing file " + folder + Printable(name));
        ++ctx_.state.Tally.filesSkipped;
        unreadable_.push_back(name);
    }

    // The file's time and length, or false when it has gone or cannot be read.
    static bool ReadFileInfo(const platform::OpenFolder& folder, const std::string& name,
                             ScannedFile& file) {
        if (!CanBeSynced(name)) return false;
        const std::optional<platform::FileInfo> info = folder.Info(name);
        if (!info) return false;
        file = FromInfo(*info);
        return true;
    }

    // The names the pair held after its last completed sync. They stay on disk until this
    // run commits, so a pair stopped before then (an empty side, an error) keeps them.
    void LoadPrevious() {
        step_ = "Loading Folder Contents From Previous " + cat_ + " Sync";
        SetProgress(32);
        // As on a first sync, one-sided files are then copied and nothing is deleted.
        if (ctx_.state.FirstRun || ctx_.state.Abnormal == 1 || otherPair_) return;
        previousAvailable_ = LoadStateFile(ctx_, cat_, previous_, false);
        if (previousAvailable_ && ignoreCase_) FoldPrevious();
        if (previousAvailable_) LoadSyncedSides(ctx_, cat_, synced_, ignoreCase_);
    }

    // The recorded names as a side that folds case finds them: a name recorded as
    // "show.kvo" is the file "Show.kvo" there.
    void FoldPrevious() {
        platform::NameTable folded;
        for (uint32_t i = 0; i < previous_.Size(); ++i)
            folded.Add(platform::FoldCase(previous_.Name(i)));
        folded.Seal();
        previous_ = std::move(folded);
    }

    // A file the previous contents would delete but that was modified after the last
    // completed sync holds an edit the other side never saw: it is copied, not deleted.
    bool ChangedAfterLastSync(const ScannedFile& file) const {
        return record_.lastSync && file.modifiedSeconds > *record_.lastSync;
    }

    bool InPrevious(std::string_view name) const {
        if (!previousAvailable_) return false;
        return ignoreCase_ ? previous_.Contains(platform::FoldCase(name))
                           : previous_.Contains(name);
    }

    // What both sides held at the last completed sync; nothing without a record of it (a
    // first sync, a record of an earlier version, a name not synced then). A replacement
    // that failed leaves its name out of the recorded names but its sides in the record, so
    // the next run still knows which side changed.
    const SyncedSides* SidesAtLastSync(std::string_view name) const {
        return previousAvailable_ ? synced_.Find(name) : nullptr;
    }

    static bool SideChanged(const SyncedSides& was, const ScannedFile& file, bool remote) {
        return remote ? Differs(file, was.remoteSeconds, was.remoteSize)
                      : Differs(file, was.localSeconds, was.localSize);
    }

    // Changed since the last completed sync: against the side's own record where there is
    // one (a time in the future or a server's clock says nothing then); without one, a time
    // later than that sync.
    bool ChangedSinceLastSync(std::string_view name, const ScannedFile& file, bool remote) const {
        if (const SyncedSides* was = SidesAtLastSync(name)) return SideChanged(*was, file, remote);
        return ChangedAfterLastSync(file);
    }

    void RecordSides(std::string_view name, const ScannedFile& local, const ScannedFile& remote) {
        if (sidesOut_) {
            sidesOut_->Add(name, SyncedSides{local.modifiedSeconds, local.size,
                                             remote.modifiedSeconds, remote.size});
        }
    }

    // A name the record keeps as it was (a deletion or a replacement planned, a file left
    // alone this run); a task that completes adds the sides it made.
    void KeepSides(std::string_view name, const SyncedSides* was) {
        if (was && sidesOut_) sidesOut_->Add(name, *was);
    }
    void KeepSides(std::string_view name) { KeepSides(name, SidesAtLastSync(name)); }

    void CompareBoth() {
        sidesOut_ = std::make_unique<SyncedSidesWriter>(ctx_, cat_);
        CompareLocal();
        CompareRemote();
    }

    // Decides for every local file: copy it over, delete it, or let the date rule choose.
    void CompareLocal() {
        step_ = "Comparing Local, Remote, and Previous Folder Contents";
        stage_ = kStageComparingLocal;
        SetProgress(34);
        const std::size_t n = localSide_.files.size();
        for (std::size_t i = 1; i <= n; ++i) {
            const auto number = static_cast<uint32_t>(i - 1);
            const std::string_view name = localSide_.names.Name(number);
            stage_ = FileStage(kStageLocalFile, i);
            SetProgress(35 + RoundHalfEven(30.0 * static_cast<double>(i) / n));
            ShowComparing(i, local_, name);
            if (!localSide_.files[number].readable) continue;
            DecideLocal(number, name, i);
            Pause();
        }
    }

    void DecideLocal(uint32_t number, std::string_view name, std::size_t i) {
        const ScannedFile& file = localSide_.files[number];
        if (file.onOtherSide) return ApplyDateRule(number, name, i);
        const bool synced = InPrevious(name);
        if (synced && ChangedSinceLastSync(name, file, false)) {
            if (DestinationRefuses(name, local_, remote_, remoteTraits_)) return;
            Plan(Reason::LocalChangedAfterSync, number);
            newContents_.push_back({number, false});
            return;
        }
        if (synced) {
            KeepSides(name);
            Plan(Reason::LocalGoneRemotely, number);
            return;
        }
        stage_ = FileStage(kStageLocalOnly, i);
        if (DestinationRefuses(name, local_, remote_, remoteTraits_)) return;
        Plan(Reason::LocalNotSynced, number);
        newContents_.push_back({number, false});
    }

    // A name the destination's file system cannot hold (a Windows share or disk and "a:b",
    // "news.", "CON.kvo") is not attempted: the copy would fail late, and a share's client
    // then answers every look-up of the folder with errors for a while, which would cancel
    // the pair's later tasks. It is said once and the rest of the pair syncs; a name the
    // last sync recorded stays recorded.
    bool DestinationRefuses(std::string_view name, const std::string& from, const std::string& to,
                            const std::optional<platform::FolderTraits>& traits) {
        if (!traits || !traits->restrictsNames) return false;
        const std::optional<std::string> problem = platform::WindowsNameProblem(name);
        if (!problem) return false;
        LogProblem(ctx_, TimeStamp(ctx_) + " - Scan    Skipped " + from +
                             Printable(std::string(name)) + ": its name cannot be held by " + to +
                             " (" + *problem + ")");
        ++ctx_.state.Tally.filesSkipped;
        unreadable_.emplace_back(name);
        return true;
    }

    // The remote time is read again now: the remote listing may be minutes old. Only a
    // remote copy that is later gets the tolerance; an earlier one loses at once. Times are
    // instants, so the rule means the same in the hour a daylight-saving change repeats.
    // A twin that can no longer be read (a dangling link, a file removed meanwhile) makes a
    // blank entry for that name alone; the rest of the pair is compared as usual.
    void ApplyDateRule(uint32_t number, std::string_view view, std::size_t i) {
        stage_ = FileStage(kStageDateRule, i);
        const std::string& name = nameBuffer_.assign(view);
        const std::optional<platform::FileInfo> remote = remoteFolder_->Info(name);
        if (!remote) {
            // Said once per name: the remote pass may have found it unreadable already.
            if (std::find(unreadable_.begin(), unreadable_.end(), name) == unreadable_.end()) {
                SkipUnreadable(remote_, name);
            }
            return;
        }
        newContents_.push_back({number, false});
        const ScannedFile& local = localSide_.files[number];
        const ScannedFile twin = FromInfo(*remote);
        bool both = false;
        const SyncedSides* was = SidesAtLastSync(name);
        if (was) {
            const bool localChanged = SideChanged(*was, local, false);
            const bool remoteChanged = SideChanged(*was, twin, true);
            // Unchanged on both sides, or changed alike: nothing to carry.
            if ((!localChanged && !remoteChanged) ||
                (local.modifiedSeconds == twin.modifiedSeconds && local.size == twin.size)) {
                return RecordSides(name, local, twin);
            }
            KeepSides(name, was);
            // One side changed: it wins, whatever the two clocks say. The usual words where
            // the clocks agree; where they do not, the line says why the older one wins.
            if (localChanged != remoteChanged) {
                const int64_t d = twin.modifiedSeconds - local.modifiedSeconds;
                remoteReads_.push_back(twin);
                if (localChanged)
                    return Plan(d < 0 ? Reason::LocalNewer : Reason::LocalChangedOnly, number);
                return Plan(d > ctx_.state.FileDateTolerance ? Reason::RemoteNewer
                                                             : Reason::RemoteChangedOnly,
                            number);
            }
            both = true;
        }
        const int64_t d = twin.modifiedSeconds - local.modifiedSeconds;
        const bool remoteNewer = d > ctx_.state.FileDateTolerance;
        if (!remoteNewer && d >= 0) return RecordSides(name, local, twin);
        remoteReads_.push_back(twin);
        if (both) {
            return Plan(
                remoteNewer ? Reason::BothChangedRemoteNewer : Reason::BothChangedLocalNewer,
                number);
        }
        Plan(remoteNewer ? Reason::RemoteNewer : Reason::LocalNewer, number);
    }

    // Decides for every remote file the local side lacks: copy it over or delete it. Those
    // present on both sides were settled by the local pass.
    void CompareRemote() {
        stage_ = kStageComparingRemote;
        const std::size_t m = remoteSide_.files.size();
        for (std::size_t i = 1; i <= m; ++i) {
            const auto number = static_cast<uint32_t>(i - 1);
            const std::string_view name = remoteSide_.names.Name(number);
            SetProgress(65 + RoundHalfEven(30.0 * static_cast<double>(i) / m));
            stage_ = FileStage(kStageRemoteFile, i);
            ShowComparing(i, remote_, name);
            if (!remoteSide_.files[number].readable) continue;
            DecideRemote(number, name, i);
            Pause();
        }
    }

    void DecideRemote(uint32_t number, std::string_view name, std::size_t i) {
        const ScannedFile& file = remoteSide_.files[number];
        if (file.onOtherSide) {
            stage_ = FileStage(kStageRemoteOnBoth, i);
            return;
        }
        const bool synced = InPrevious(name);
        if (synced && ChangedSinceLastSync(name, file, true)) {
            if (DestinationRefuses(name, remote_, local_, localTraits_)) return;
            Plan(Reason::RemoteChangedAfterSync, number);
            newContents_.push_back({number, true});
            return;
        }
        if (synced) {
            KeepSides(name);
            Plan(Reason::RemoteGoneLocally, number);
            return;
        }
        stage_ = FileStage(kStageRemoteOnly, i);
        if (DestinationRefuses(name, remote_, local_, localTraits_)) return;
        Plan(Reason::RemoteNotSynced, number);
        newContents_.push_back({number, true});
    }

    // The reason tells the rest: the kind of task, the side the file was listed on and the
    // folder the task line names first.
    void Plan(Reason reason, uint32_t number) {
        PlannedTask task;
        task.file = number;
        task.reason = reason;
        switch (reason) {
            case Reason::LocalChangedAfterSync:
            case Reason::LocalNotSynced:
                task.kind = kTaskCopy;
                break;
            case Reason::LocalGoneRemotely:
                task.kind = kTaskDelete;
                break;
            case Reason::RemoteNewer:
            case Reason::RemoteChangedOnly:
            case Reason::BothChangedRemoteNewer:
                task.kind = kTaskReplace;
                task.firstIsRemote = true;
                break;
            case Reason::LocalNewer:
            case Reason::LocalChangedOnly:
            case Reason::BothChangedLocalNewer:
                task.kind = kTaskReplace;
                break;
            case Reason::RemoteChangedAfterSync:
            case Reason::RemoteNotSynced:
                task.kind = kTaskCopy;
                task.fileIsRemote = task.firstIsRemote = true;
                break;
            case Reason::RemoteGoneLocally:
                task.kind = kTaskDelete;
                task.fileIsRemote = task.firstIsRemote = true;
                break;
        }
        const std::string& stamp = Stamp();
        if (stamps_.empty() || stamps_.back() != stamp) stamps_.push_back(stamp);
        task.decidedAt = static_cast<uint32_t>(stamps_.size() - 1);
        task.remoteRead = static_cast<uint32_t>(remoteReads_.size() - 1);
        plan_.push_back(task);
        if (task.kind == kTaskDelete) ++plannedDeletes_;
    }

    const ScannedSide& SideOf(bool remote) const { return remote ? remoteSide_ : localSide_; }
    std::string_view NameOf(const PlannedTask& task) const {
        return SideOf(task.fileIsRemote).names.Name(task.file);
    }
    const std::string& FirstFolder(const PlannedTask& task) const {
        return task.firstIsRemote ? remote_ : local_;
    }
    const std::string& SecondFolder(const PlannedTask& task) const {
        if (task.kind == kTaskDelete) return kNoFolder;
        return task.firstIsRemote ? local_ : remote_;
    }

    // An unmounted share is an empty folder: it must not turn every file of the other side
    // into a deletion. Such a pair queues nothing and keeps its state files.
    bool QueuePlan() {
        if (plannedDeletes_ > 0 && (localSide_.files.empty() || remoteSide_.files.empty())) {
            StopForEmptySide(localSide_.files.empty() ? "Local Folder Is Empty"
                                                      : "Remote Folder Is Empty");
            return false;
        }
        // Every task lies in one of the two folders, whose file systems the scan read once
        // when it loaded the pair's record.
        for (const PlannedTask& task : plan_) {
            if (ctx_.state.Preview) {
                ShowPreviewTask(task);
                continue;
            }
            if (IsConflict(task.reason)) {
                // An edit is about to be overwritten: the operator is told in the activity
                // log too, with where the older copy goes.
                ++ctx_.state.Tally.conflicts;
                LogProblem(ctx_, stamps_[task.decidedAt] + kDecisionHead +
                                     DecisionText(task.reason, NameOf(task), ConflictNote(task)));
            } else if (ctx_.form.chkLogToFile.Checked()) {
                WriteTaskLog(ctx_, stamps_[task.decidedAt] + kDecisionHead +
                                       DecisionText(task.reason, NameOf(task)));
            }
            QueueTask(ctx_, task.kind, cat_, nameBuffer_.assign(NameOf(task)), FirstFolder(task),
                      SecondFolder(task), KnownStateOf(task));
        }
        return true;
    }

    // Where the older copy of a file edited on both sides goes: into the backups, where they
    // are on, or nowhere.
    std::string ConflictNote(const PlannedTask& task) const {
        const char* older = task.firstIsRemote ? "local" : "remote";
        const std::string& replaced = task.firstIsRemote ? local_ : remote_;
        const std::string root = WithTrailingSeparator(ctx_.form.txtBackupDir.Text());
        const std::string folder = BackupFolderFor(root, replaced, cat_, ctx_.state.BackupType);
        if (!ctx_.form.chkEnableFileBackup.Checked() || !ctx_.state.BackupPathIsValid ||
            folder.empty()) {
            return std::string("; backups are off, so the older ") + older + " copy is not kept";
        }
        return std::string("; the older ") + older + " copy is kept in the backups in " + folder;
    }

    // The plan has been queued; what it needed goes before the state is written.
    void ReleasePlan() {
        std::vector<PlannedTask>().swap(plan_);
        std::vector<ScannedFile>().swap(remoteReads_);
        std::vector<std::string>().swap(stamps_);
    }

    // The line the task would be queued with, and why.
    void ShowPreviewTask(const PlannedTask& task) {
        ++ctx_.state.PreviewTaskCount;
        const std::string name(NameOf(task));
        AddCompletedLine(
            ctx_, TimeStamp(ctx_) + " - Preview " +
                      BuildTaskLine(task.kind, cat_, name, FirstFolder(task), SecondFolder(task)));
        const std::string note = IsConflict(task.reason) ? ConflictNote(task) : std::string();
        if (IsConflict(task.reason)) ++ctx_.state.Tally.conflicts;
        AddCompletedLine(
            ctx_, stamps_[task.decidedAt] + kDecisionHead + DecisionText(task.reason, name, note));
    }

    // The task's view is made from what the scan read while deciding on it: a file read
    // again later would hide a change made in between from the check before the task runs.
    // The file of a copy was not on the other side; a replacement's remote copy is as the
    // date rule read it.
    KnownTaskState KnownStateOf(const PlannedTask& task) const {
        KnownTaskState known;
        known.firstFileSystem = task.firstIsRemote ? remoteFileSystem_ : localFileSystem_;
        if (task.kind != kTaskDelete) {
            known.secondFileSystem = task.firstIsRemote ? localFileSystem_ : remoteFileSystem_;
        }
        known.first = StateOf(SideOf(task.fileIsRemote).files[task.file]);
        if (task.kind == kTaskCopy) {
            known.second = platform::EntryState{};
        } else if (task.kind == kTaskReplace) {
            const platform::EntryState remote = StateOf(remoteReads_[task.remoteRead]);
            if (task.firstIsRemote) {
                known.second = known.first;
                known.first = remote;
            } else {
                known.second = remote;
            }
        }
        return known;
    }

    void StopForEmptySide(const std::string& reason) {
        const std::string message = "Stopped Scanning " + cat_ + " Files: " + reason;
        ctx_.form.lblStatus.SetCaption(TimeStamp(ctx_) + " - " + message);
        LogProblem(ctx_, TimeStamp(ctx_) + " - Scan    " + message);
        ctx_.state.RunHadFailure = true;
        NotePairStopped(ctx_, cat_,
                        TimeStamp(ctx_) + " - " + message +
                            ": nothing was deleted. Check that the folder is mounted and holds "
                            "the files; the pair syncs again at the next scan that finds them.");
    }

    // An unreadable name the last sync recorded stays recorded: dropped, a deletion made
    // meanwhile on the other side would be reverted by the next run. Only the unreadable
    // names need looking for among those already to be recorded.
    void KeepUnreadableAsRecorded() {
        if (unreadable_.empty()) return;
        const std::unordered_set<std::string_view> unread(unreadable_.begin(), unreadable_.end());
        std::unordered_set<std::string_view> recorded;
        for (const RecordedName& entry : newContents_) {
            const std::string_view name = SideOf(entry.remote).names.Name(entry.file);
            if (unread.count(name) > 0) recorded.insert(name);
        }
        for (const std::string& name : unreadable_) {
            if (InPrevious(name) && recorded.insert(name).second) keptUnreadable_.push_back(name);
        }
    }

    // The names both sides will hold once the tasks have run become the pending state file,
    // committed only when the run completes. They are written from the scan's own tables as
    // they come.
    void Save() {
        stage_ = kStageSaving;
        step_ = "Saving Current Folder Contents To Log";
        SetProgress(96);
        KeepUnreadableAsRecorded();
        previous_.Clear();
        SaveStateFile(
            ctx_, cat_,
            [&](const StateNameSink& sink) {
                for (const RecordedName& entry : newContents_)
                    sink(SideOf(entry.remote).names.Name(entry.file));
                for (const std::string& name : keptUnreadable_)
                    sink(name);
            },
            true);
        for (const std::string& name : keptUnreadable_)
            KeepSides(name);
        if (sidesOut_) sidesOut_->Finish();
        NoteScannedPair(ctx_, ScannedPair{cat_, local_, remote_, scanStarted_,
                                          IdentityOf(localTraits_, record_.localIdentity),
                                          IdentityOf(remoteTraits_, record_.remoteIdentity)});
        SetProgress(98);
    }

    // A side whose identity could not be read this time keeps the one recorded (if any):
    // an empty one written now would stop every later run.
    static std::string IdentityOf(const std::optional<platform::FolderTraits>& traits,
                                  const std::optional<std::string>& recorded) {
        return traits ? traits->identity : recorded.value_or(std::string());
    }

    void Finish() {
        step_ = "Finishing Up " + cat_ + " Scan";
        ctx_.form.lblStatus.SetCaption(TimeStamp(ctx_) + " - Done Scanning " + cat_);
        LogLine(ctx_, TimeStamp(ctx_) + " - Scan    Finished Scanning " + cat_);
        SetProgress(100);
    }

    // The pair was not scanned to its end: say where it stopped, save nothing.
    void ReportError() {
        const std::string where = " Error:" + std::to_string(stage_) + " - " + step_;
        ctx_.form.lblStatus.SetCaption(TimeStamp(ctx_) + " - Error Scanning " + cat_ + where);
        LogProblem(ctx_, TimeStamp(ctx_) + " - Scan    Error Completing Scan Of " + cat_ + where);
        ctx_.form.pbTask.SetValue(0);
        ctx_.form.lblPbTask.SetCaption("");
        ctx_.state.RunHadFailure = true;
        NotePairStopped(ctx_, cat_,
                        TimeStamp(ctx_) + " - Error Scanning " + cat_ + where +
                            ". Nothing was synced; see the activity log.");
    }

    // A pair whose folders are both configured but cannot be scanned is a failed pair, and
    // its line a problem to report; one the operator never set up is neither.
    void ReportUnreachable(const std::string& line) {
        ReportUnreachablePair(ctx_, cat_, line, !local_.empty() && !remote_.empty());
    }

    void ShowComparing(std::size_t i, const std::string& folder, std::string_view name) {
        RefreshDisplayEvery20th(i);
        ShowFile(" - Comparing ", folder, name);
        ctx_.ports.yield();
    }

    // The status line names the file at hand. It is built in one buffer kept for the whole
    // scan: a pair of many thousand files would otherwise make a new string per file.
    void ShowFile(const char* doing, const std::string& folder, std::string_view name) {
        status_ = Stamp();
        status_ += doing;
        status_ += cat_;
        status_ += " File:";
        status_ += folder;
        status_ += name;
        ctx_.form.lblStatus.SetCaption(status_);
    }

    // The clock as lines start with it; formatted again only when the second has changed.
    const std::string& Stamp() {
        const LocalDateTime now = ctx_.ports.now();
        if (stamp_.empty() || now.hour != stampTime_.hour || now.minute != stampTime_.minute ||
            now.second != stampTime_.second) {
            stamp_ = FormatClock(now);
            stampTime_ = now;
        }
        return stamp_;
    }

    void RefreshDisplayEvery20th(std::size_t i) {
        if (i % kDisplayRefreshEvery != 0) return;
        ctx_.ports.updateTrayIcon();
        ctx_.form.lblTime.SetCaption(FormatClock(ctx_.ports.now()));
    }

    // The caption is made anew only when the percentage moves, which it does a hundred
    // times per scan at most, not once per file.
    void SetProgress(int percent) {
        ctx_.form.pbTask.SetValue(percent);
        if (progressCaption_.empty() || percent != progressShown_) {
            progressCaption_ = cat_ + " Scan Progress " + std::to_string(percent) + "%";
            progressShown_ = percent;
        }
        ctx_.form.lblPbTask.SetCaption(progressCaption_);
    }

    void Pause() {
        if (ctx_.state.SleepTimeSync > 0) ctx_.ports.sleep(ctx_.state.SleepTimeSync);
    }

    Context& ctx_;
    platform::FileSystem& fs_;
    std::string local_;
    std::string remote_;
    std::string pattern_;
    const std::string& cat_;

    int32_t stage_ = 0;
    std::string step_;
    std::string status_;
    std::string stamp_;
    LocalDateTime stampTime_;
    std::string progressCaption_;
    int progressShown_ = 0;

    std::vector<std::string> localNames_;
    std::vector<std::string> remoteNames_;
    // Held open from the listing to the end of the scan: every look-up addresses the folder
    // that was listed.
    std::unique_ptr<platform::OpenFolder> localFolder_;
    std::unique_ptr<platform::OpenFolder> remoteFolder_;
    ScannedSide localSide_;
    ScannedSide remoteSide_;
    platform::NameTable previous_;
    bool previousAvailable_ = false;
    PairRecord record_;
    bool otherPair_ = false;
    int64_t scanStarted_ = 0;
    std::optional<uint64_t> localFileSystem_;
    std::optional<uint64_t> remoteFileSystem_;
    std::optional<platform::FolderTraits> localTraits_;
    std::optional<platform::FolderTraits> remoteTraits_;
    bool localFolds_ = false;
    bool remoteFolds_ = false;
    bool ignoreCase_ = false;                       // names are matched without regard to case
    std::unordered_set<std::string> caseSkipped_;   // folded names left alone for their case
    std::unordered_set<std::string> localBlanked_;  // folded names of unreadable local files
    SyncedSidesTable synced_;
    std::unique_ptr<SyncedSidesWriter> sidesOut_;
    std::vector<std::string> unreadable_;
    std::vector<RecordedName> newContents_;
    std::vector<std::string> keptUnreadable_;  // recorded after newContents_
    std::vector<PlannedTask> plan_;
    std::vector<std::string> stamps_;  // each clock reading a decision was made at, once
    std::vector<ScannedFile> remoteReads_;
    std::string nameBuffer_;  // a name handed on as a whole string, kept for the whole scan
    int plannedDeletes_ = 0;
};

}  // namespace

void ScanFolderPair(Context& ctx, const std::string& localPath, const std::string& remotePath,
                    const std::string& pattern, const std::string& category) {
    PairScan(ctx, localPath, remotePath, pattern, category).Run();
}

}  // namespace vfs
