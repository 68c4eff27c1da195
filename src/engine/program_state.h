// The program-wide flags and values, in one object passed by reference to whoever needs
// them. No globals: the headless program, the window and each test own their own state.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/task_view.h"

namespace vfs {

// A pair this run scanned, as its record will say once the run commits.
struct ScannedPair {
    std::string category;
    std::string localPath;
    std::string remotePath;
    int64_t scanStarted = 0;  // UTC seconds since the epoch
    // Which folders they were: the identities of both sides (see platform::FolderTraits).
    std::string localIdentity;
    std::string remoteIdentity;
};

// A stored setting the loader could not read as its kind: what the operator typed, and the
// text of the value used instead as the settings file would hold it.
struct UnreadableSetting {
    std::string section;
    std::string key;
    std::string typed;
    std::string used;
    std::string kind;  // "a flag", "a number"
};

// What the run in progress came to, for the line that closes it.
struct RunTally {
    int32_t tasksDone = 0;
    int32_t tasksFailed = 0;       // failed, cancelled or left for the next run
    int32_t pairsStopped = 0;      // stopped by a safety check or an error in the scan
    int32_t pairsUnreachable = 0;  // configured, but a folder could not be reached
    int32_t conflicts = 0;         // files edited on both sides since the last sync
    int32_t filesSkipped = 0;      // names the scan had to leave out (unreadable, clashing)
};

// The queued tasks of the run being worked off, in bytes, and when the first of them began.
struct TransferProgress {
    int32_t tasksBegun = 0;
    int64_t queuedBytes = 0;    // what the copies and replacements of the run will copy
    int64_t settledBytes = 0;   // of those, the bytes of tasks that have ended
    int64_t currentTask = 0;    // the running task's bytes
    int64_t currentDone = 0;    // of those, the bytes copied so far
    int64_t startedMs = -1;     // ms since local midnight when the first task began; -1 none
    bool countingCopy = false;  // the copy under way is the task's own (not a backup)
};

struct ProgramState {
    // Run phases and guards.
    bool SyncInProgress = false;
    bool CopyInProgress = false;
    int32_t QueuedTaskCount = 0;
    TransferProgress Transfer;
    QueuedTaskViews TaskViews;
    int32_t LastSyncTime = -1;  // ms since local midnight of the last run start; -1 none
    bool BackupPathIsValid = false;

    // Copy service.
    int32_t CopyCancelRequested = 0;  // set to 1 only by CancelCopy, never reset
    std::string CopySourceFolder;
    std::string CopyDestFolder;
    std::string CopyFileName;

    // Session and life cycle.
    std::string SessionSuffix;   // "" or "2".."9"
    std::string SettingsFolder;  // the program's folder with a trailing separator
    bool SyncAndExit = false;
    // A preview scans and reports every task it would queue, and writes nothing: no state
    // file, settings, task log or backup folder, and no task runs.
    bool Preview = false;
    int32_t PreviewTaskCount = 0;  // tasks a preview found
    bool StartupSyncPending = false;
    bool ExitRequested = false;
    bool PromptOpen = false;
    bool FileChooserOpen = false;
    bool MinimizedToTray = false;

    // Settings variables.
    int32_t AppPriority = 5;
    int16_t Abnormal = 0;
    bool FirstRun = false;
    int16_t MaxAudioPaths = 30;
    int32_t SyncCycle = 300000;
    bool AutoStart = false;
    bool AutoSync = false;
    bool StartMinimized = false;
    int32_t SleepTimeCopy = 3;
    int32_t SleepTimeSync = 6;
    int32_t MaxCompletedTasks = 500;
    bool ExtendedFolders = false;
    bool BackupType = true;         // true: folder type specific, false: source directory specific
    int32_t FileDateTolerance = 8;  // seconds
    // Values of the settings file that could not be read; they are written back as typed.
    std::vector<UnreadableSetting> UnreadableSettings;
    // The first start found none of the automation system's settings to load the paths from.
    bool AutomationSettingsMissing = false;

    // Outcome of the runs so far, for the headless program's exit status: a task failed,
    // or an enabled, configured pair was unreachable or stopped because one side was empty.
    bool RunHadFailure = false;
    RunTally Tally;
    // The pairs whose last scan stopped or could not reach a folder, by category, with what
    // their indicator's tooltip tells the operator. A pair leaves once it scans well again.
    std::map<std::string, std::string> PairTroubles;
    // The summary of the last run where something in it failed or stopped, empty after a
    // run that went well: the notification icon says so until the next run ends.
    std::string LastRunTrouble;

    // The sync record of the run in progress: the pairs scanned, and why a write of the
    // record failed (empty while none has). A run whose record could not be written
    // commits nothing.
    std::vector<ScannedPair> ScannedPairs;
    // Categories whose share stopped answering during this run's tasks: their remaining
    // tasks are left for the next run.
    std::set<std::string> ShareTroubleCategories;
    std::string RecordWriteFailure;
};

}  // namespace vfs
