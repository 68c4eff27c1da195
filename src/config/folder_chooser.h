// The folder chooser (frmFileOpen): the small dialog through which the operator picks the
// folder of one path field, of an audio row or of the backup folder. Its decisions live here:
// the set-up by a browse button, the navigation, the notice that tells whether the folder
// holds files of the category's type, and the confirm rules with their duplicate checks,
// the writes into the main window, the discarding of the pair's previous-sync state and the
// re-validation. The Qt dialog renders FolderChooserModel and forwards its events.
#pragma once

#include <string>
#include <vector>

#include "engine/context.h"

namespace vfs {

// The chooser's own controls as plain data, under the names the dialog's widgets carry.
// Changes are announced through `notifier`, as the main window's form model does.
struct FolderChooserModel {
    ChangeNotifier notifier;

    // The dialog window: caption and whether it is loaded and shown.
    Frame frmFileOpen{"frmFileOpen", &notifier};
    Label lblDriveList{"lblDriveList", &notifier};
    // The mounted file systems an operator picks from, root first; ListIndex is the
    // current one.
    ListBox driveList{"driveList", &notifier};
    // The folder tree; its caption is the tree's current path.
    Label dirList{"dirList", &notifier};
    Label lblFileList{"lblFileList", &notifier};
    // The current folder's files that match the pattern. Never shown: only counted.
    ListBox fileList{"fileList", &notifier};
    Label lblFileName{"lblFileName", &notifier};
    TextBox txtFileName{"txtFileName", &notifier};
    Button btnSave{"btnSave", &notifier};
    Button btnCancel{"btnCancel", &notifier};
    // The two notices; each stands for its seven labels (coloured text with a black
    // outline), which are always shown or hidden together.
    Label lblFilesFound{"lblFilesFound", &notifier};
    Label lblNoFilesFound{"lblNoFilesFound", &notifier};
    // The notice refresh (every 200 ms) runs only while this is on.
    bool Timer2Enabled = false;

    // The file list's pattern, ';'-separated, matched without regard to case.
    std::string fileListPattern;
    // Layout of the file list in twips, which depends on whether the folder tree is shown.
    int fileListLeft = 90;
    int fileListWidth = 4605;
    int fileListHeight = 0;

    FolderChooserModel();
    // The controls announce to this model's own notifier: a copy would announce to the
    // original.
    FolderChooserModel(const FolderChooserModel&) = delete;
    FolderChooserModel& operator=(const FolderChooserModel&) = delete;
};

// Client area of the dialog and the notice refresh interval.
inline constexpr int kChooserClientWidthTwips = 6135;
inline constexpr int kChooserClientHeightTwips = 4185;
inline constexpr int kChooserNoticeIntervalMs = 200;

// The targets a chooser can serve, by btnBrowse index: 0..13 the category fields (even
// local, odd remote), then the remote folder of an audio row, a new audio row and the
// backup folder.
inline constexpr int kChooserLastCategoryField = 13;
inline constexpr int kChooserRemoteAudio = 14;
inline constexpr int kChooserNewAudio = 15;
inline constexpr int kChooserBackupFolder = 16;

// Dialog titles and messages, exactly as the operator reads them.
inline constexpr const char* kInvalidDirectoryTitle = "Invalid Directory Chosen";
inline constexpr const char* kInvalidDirectoryText =
    "No directory has been chosen.  Please select a directory and try again.";
inline constexpr const char* kDuplicatePathTitle = "Duplicate Path Chosen";
inline constexpr const char* kDuplicateLocalAudioText =
    "The path you've chosen matches an already existing local Audio File path.  Re-select "
    "your path and try again.";
inline constexpr const char* kDuplicateRemoteAudioText =
    "The path you've chosen matches an already existing remote Audio File path.  Re-select "
    "your path and try again.";

// The message for a category choice that equals the other side of its pair: a local choice
// (remote = false) equal to the remote field, or a remote choice equal to the local field.
std::string DuplicateCategoryPathText(int category, bool remote);
// What a browse button sets up: the file-list pattern and the dialog title.
struct BrowseTarget {
    const char* pattern;
    const char* title;
};
// Index 0..16; any other index answers the backup folder's target.
BrowseTarget BrowseTargetFor(int browseIndex);

// The "drive list" on Linux: the mount points of a mount table (the text of
// /proc/self/mounts) that an operator picks folders from. The root comes first, then, in
// ascending order, real disks, removable media (/media, /mnt, /run/media) and network
// shares; kernel and memory file systems are left out.
std::vector<std::string> DriveListFromMounts(const std::string& mountsText);
// The drive list of this machine: its drive roots where the system has drive letters, else
// from its mount table (the root alone when that cannot be read).
std::vector<std::string> SystemDriveList();
// The mount point of the list that holds the path (the longest one that is a prefix of it),
// empty when none does.
std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path);
// Two paths name the same folder for the duplicate checks: letter case and trailing
// separators are ignored.
bool SamePathIgnoringCase(const std::string& a, const std::string& b);

class FolderChooser {
  public:
    // drives: the drive list to offer; the window passes DriveListFromMounts of the
    // system's mount table, tests pass their own.
    FolderChooser(Context ctx, std::vector<std::string> drives);

    FolderChooserModel model;

    int sourceIndex() const { return sourceIndex_; }
    int audioPathIndex() const { return audioPathIndex_; }
    // The folder tree's current path: the folder a confirmation chooses.
    const std::string& currentFolder() const { return model.dirList.Caption(); }

    // Loading and unloading. Loading shows the dialog, sets FileChooserOpen and applies
    // the defaults (folder tree shown, "Save" caption); unloading hides it, stops the
    // notice refresh and clears FileChooserOpen. A load while loaded changes nothing.
    void Load();
    void Unload();

    // The set-up operations, in the order a browse button calls them.
    void setAsSaveDialog(bool value);
    void setDirListVisible(bool value);
    void setSourceIndex(int index);
    void setInitDir(const std::string& path);
    void setAudioPathIndex(int index);
    void setFileListPattern(const std::string& pattern);
    void setTitle(const std::string& title);

    // Navigation: a drive chosen, the folder tree moved to another folder (also on a mouse
    // release on it).
    void driveList_Change(int index);
    void dirList_Change(const std::string& folder);
    // The notice refresh, every kChooserNoticeIntervalMs while Timer2Enabled.
    void Timer2_Timer();

    // Confirm: checks the current folder, writes it into the main window, discards the
    // pair's state and re-validates. Answers true when the dialog closed; false when a
    // message refused the choice and the dialog stays open for another.
    bool btnSave_Click();
    // Closes the dialog; nothing is written.
    void btnCancel_Click();

  private:
    void SetFileListFolder(const std::string& folder);
    bool ConfirmCategoryField(const std::string& choice);
    bool ConfirmRemoteAudio(const std::string& choice);
    bool ConfirmNewAudio(const std::string& choice);
    bool RefuseDuplicateAudio(const std::string& choice, int ownRow);
    void Refuse(const std::string& text);

    Context ctx_;
    int sourceIndex_ = 0;
    int audioPathIndex_ = 0;
};

// The click on btnBrowse(index) of the main window: the focus goes to the focus sink, the
// chooser is loaded (or, when already open, reconfigured for this target; the earlier target
// is forgotten) and set up with the target's pattern and title. The window shows the dialog
// modeless, owned by the main window, and brings it to the front.
void btnBrowse_Click(Context& ctx, FolderChooser& chooser, int index);

// The operator finished typing into a path field of the grid (controlName: txtLPLog,
// txtRSched, ...; textBefore: the field's text when the edit began). A changed path is a new
// pair: its previous-sync state is discarded, as a change through the chooser does, so the
// next sync never compares the new folders with the old folders' names. Answers true when
// the state was discarded; other controls and unchanged text do nothing.
bool PathField_Edited(Context& ctx, const std::string& controlName, const std::string& textBefore);

}  // namespace vfs
