#include "engine/backups.h"

#include <cstdio>
#include <vector>

#include "engine/activity_log.h"
#include "engine/copy_progress.h"
#include "engine/file_helpers.h"
#include "engine/state_files.h"
#include "engine/text_helpers.h"

namespace vfs {

namespace {

constexpr int kSlotCount = 5;

std::string SlotName(int slot) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", slot);
    return buf;
}

// One backup in progress: the file, its folders and the slot chosen so far.
struct BackupJob {
    Context& ctx;
    std::string fileName;
    std::string sourceFolder;  // with a trailing separator
    std::string backupFolder;  // with a trailing separator
    int slot = 0;              // 0 until a slot is chosen

    std::string Source() const { return sourceFolder + fileName; }
    std::string SlotFolder(int k) const { return backupFolder + SlotName(k) + kSep; }
    std::string CopyIn(int k) const { return SlotFolder(k) + fileName; }
    platform::FileSystem& fs() const { return *ctx.ports.fileSystem; }
    void Trace(const std::string& text) const { ctx.ports.debug(text); }
    void Point(int n) const { Trace("CreateBackup Point " + std::to_string(n)); }
};

std::string BackupLine(const BackupJob& job, const std::string& verb) {
    return TimeStamp(job.ctx) + " - " + verb + " \"" + job.Source() + "\", \"" + job.backupFolder +
           SlotName(job.slot) + kSep + job.fileName + "\"";
}

bool Fail(const BackupJob& job) {
    LogProblem(job.ctx, BackupLine(job, "Backup Fail"));
    return false;
}

void LogInsufficientSpace(const BackupJob& job, int64_t size, double free) {
    LogProblem(job.ctx, TimeStamp(job.ctx) + " - Backup Fail (Insufficient Free Disk Space (" +
                            std::to_string(size) + ")) \"" + job.Source() + "\", \"" +
                            job.backupFolder + " (" + PlainNumber(free) + "))\"");
}

// The root from txtBackupDir with its trailing separator, written back into the box.
std::string BackupRoot(Context& ctx) {
    std::string root = ctx.form.txtBackupDir.Text();
    if (!root.empty() && root.back() != kSep) {
        root += kSep;
        ctx.form.txtBackupDir.SetText(root);
    }
    return root;
}

int NumberOfCopies(const Context& ctx) {
    int index = ctx.form.cboNumFileBackups.ListIndex();
    return (index < 0 ? 0 : index) + 1;
}

bool EnsureFolder(const BackupJob& job, const std::string& folder) {
    if (FolderExists(job.fs(), folder)) return true;
    job.Trace("Attempting to create DIR " + folder);
    bool made = MakeFolderPath(job.fs(), folder);
    job.Trace(made ? "Attempted to create Dir... Success!" : "Attempted to create Dir... Failed.");
    if (!made) job.Trace("Unable to create DIR " + folder);
    return made;
}

// The slots that hold a copy of the file, in slot order.
std::vector<int> FindCopies(const BackupJob& job) {
    std::vector<int> copies;
    for (int k = 1; k <= kSlotCount; ++k) {
        job.Trace("Checking for file " + job.CopyIn(k));
        if (FileExists(job.fs(), job.CopyIn(k))) {
            job.Trace("   ...which appears to exist, adding to array index " +
                      std::to_string(copies.size()));
            copies.push_back(k);
        } else {
            job.Trace("   ...which appears NOT to exist");
        }
    }
    return copies;
}

bool DeleteOldest(const BackupJob& job, const std::vector<int>& copies, std::size_t count) {
    for (std::size_t i = 0; i < count && i < copies.size(); ++i) {
        job.Trace("Attempting to kill " + job.CopyIn(copies[i]));
        if (!job.fs().RemoveFile(job.CopyIn(copies[i]))) return false;
    }
    return true;
}

// Moves the copies down into slots 1..c without gaps, oldest first.
bool Compact(const BackupJob& job, const std::vector<int>& copies) {
    for (std::size_t j = 0; j < copies.size(); ++j) {
        int target = static_cast<int>(j) + 1;
        const std::string from = job.CopyIn(copies[j]);
        const std::string to = job.CopyIn(target);
        if (SameTextIgnoringCase(from, to)) continue;
        if (!EnsureFolder(job, job.SlotFolder(target))) return false;
        job.Trace("Renaming File " + from + " to " + to);
        if (!job.fs().RenameNoReplace(from, to)) return false;
    }
    return true;
}

// Frees a slot for the new copy: the oldest copies beyond N - 1 go, the rest move down.
// Answers the new slot, 0 when the rotation failed.
int Rotate(const BackupJob& job, int copiesKept) {
    std::vector<int> copies = FindCopies(job);
    if (static_cast<int>(copies.size()) >= copiesKept) {
        std::size_t surplus = copies.size() - static_cast<std::size_t>(copiesKept) + 1;
        if (!DeleteOldest(job, copies, surplus)) return 0;
        copies = FindCopies(job);
    }
    if (!Compact(job, copies)) return 0;
    return static_cast<int>(copies.size()) + 1;
}

bool ClearTarget(const BackupJob& job) {
    const std::string target = job.CopyIn(job.slot);
    if (!FileExists(job.fs(), target)) return true;
    job.Trace("Attempting to kill " + target);
    job.fs().RemoveFile(target);
    job.Trace("Double Checking for file " + target);
    return !FileExists(job.fs(), target);
}

// Slot folders left without any file are removed; one that cannot be removed (it holds a
// sub-folder, say) is left as it is, the backup itself has been made.
void TidySlotFolders(const BackupJob& job) {
    for (int k = 1; k <= kSlotCount; ++k) {
        const std::string folder = job.SlotFolder(k);
        if (!FolderExists(job.fs(), folder)) continue;
        auto entries = job.fs().ListAllEntries(folder);
        if (entries && entries->empty()) job.fs().RemoveEmptyDirectory(folder);
    }
}

void WarnWhenShortOfSpace(const BackupJob& job, const std::string& root) {
    // A backup tree on a share that reports no size has nothing to warn about.
    if (FreeSpaceUnknown(job.fs(), root)) return;
    double free = GetFreeSpace(job.fs(), root);
    int64_t size = GetFileSizeBytes(job.fs(), job.Source());
    if (free < static_cast<double>(size)) LogInsufficientSpace(job, size, free);
}

// Makes room among the slots, copies the file into the slot freed for it, logs the backup
// and removes slot folders left empty.
bool StoreNewCopy(BackupJob& job, int copiesKept) {
    job.Point(9);
    int slot = Rotate(job, copiesKept);
    if (slot == 0) return Fail(job);
    job.slot = slot;
    job.Trace("Will save backup file with index " + SlotName(slot));
    job.Point(11);
    if (!ClearTarget(job)) return Fail(job);
    job.Point(12);
    if (!EnsureFolder(job, job.SlotFolder(slot))) return Fail(job);
    bool copied = CopyFileWithProgress(job.ctx, job.Source(), job.CopyIn(slot)).ok;
    job.Point(13);
    if (!copied || !FileExists(job.fs(), job.CopyIn(slot))) return false;
    LogLine(job.ctx, BackupLine(job, "Backup "));
    job.Point(14);
    TidySlotFolders(job);
    return true;
}

}  // namespace

std::string BackupFolderFor(const std::string& root, const std::string& sourceFolder,
                            const std::string& category, bool folderTypeSpecific) {
    if (folderTypeSpecific) {
        if (category.empty()) return {};
        return root + StateBaseName(category) + kSep;
    }
    // The source folder's own path below the root, so /data/logs goes to root + data/logs/;
    // a drive becomes the first level (C:\Data to root + C\Data\), and so does a share's
    // server.
    std::string below = CollapseDoubledSeparators(sourceFolder);
    if (kNativeStyle == PathStyle::Windows) {
        const std::string driveRoot{':', kSep};
        for (std::size_t at = below.find(driveRoot); at != std::string::npos;
             at = below.find(driveRoot, at)) {
            below.erase(at, 1);
        }
    }
    while (!below.empty() && below.front() == kSep)
        below.erase(0, 1);
    return WithTrailingSeparator(root + below);
}

bool CreateBackup(Context& ctx, const std::string& fileName, const std::string& sourceFolder,
                  const std::string& category) {
    BackupJob job{ctx, fileName, WithTrailingSeparator(sourceFolder), {}};
    job.Point(1);
    if (!ctx.form.chkEnableFileBackup.Checked()) return true;
    job.Point(2);
    const int copiesKept = NumberOfCopies(ctx);
    const std::string root = BackupRoot(ctx);
    job.Point(3);
    job.backupFolder = BackupFolderFor(root, job.sourceFolder, category, ctx.state.BackupType);
    if (job.backupFolder.empty()) return false;
    job.Point(4);
    // Without a root the copies would land relative to wherever the program runs.
    if (root.empty()) return Fail(job);
    job.Point(5);
    if (!FolderExists(job.fs(), job.sourceFolder)) return Fail(job);
    job.Point(6);
    // Short of space the copy is still tried: the line warns, the copy decides.
    WarnWhenShortOfSpace(job, root);
    job.Point(7);
    if (!EnsureFolder(job, job.backupFolder)) return Fail(job);
    job.Point(8);
    if (!FileExists(job.fs(), job.Source())) return Fail(job);
    return StoreNewCopy(job, copiesKept);
}

void cboNumFileBackups_Click(Context& ctx) {
    bool several = ctx.form.cboNumFileBackups.ListIndex() >= 1;
    ctx.form.lblBackupCopies.SetCaption(BackupCopiesCaption(several));
}

void optDirectoryBackups_Click(Context& ctx, int index) {
    if (index == 0 || index == 1) {
        ctx.form.optDirectoryBackups[static_cast<std::size_t>(index)].SetValue(1);
        ctx.form.optDirectoryBackups[static_cast<std::size_t>(1 - index)].SetValue(0);
    }
    ApplyBackupType(ctx, ctx.form.optDirectoryBackups[0].Value() == 1);
}

void ApplyBackupType(Context& ctx, bool folderTypeSpecific) {
    ctx.state.BackupType = folderTypeSpecific;
    ctx.form.optDirectoryBackups[0].SetValue(folderTypeSpecific ? 1 : 0);
    ctx.form.optDirectoryBackups[1].SetValue(folderTypeSpecific ? 0 : 1);
    ctx.form.lblBackupTypeInfo.SetCaption(
        folderTypeSpecific
            ? "Creates a single backup set incorporating both local && remote files in a "
              "folder-specific backup structure.  The number of backup copies chosen is the "
              "number of local AND remote files combined per folder type."
            : "Creates equivalent directory structures for each unique directory, creating a "
              "backup set for each local folder and each remote folder separately.  The number "
              "of backup copies chosen is the number of files for each unique source directory "
              "individually, potentially double the number of files as Folder-Type Specific "
              "backup.");
}

}  // namespace vfs
