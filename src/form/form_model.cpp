#include "form/form_model.h"

#include <iterator>
#include <string>

#include "form/folder_categories.h"
#include "form/speed_levels.h"

namespace vfs {

namespace {

template <typename T, std::size_t N>
void NameArray(std::array<T, N>& controls, const char* name, const ChangeNotifier* notifier) {
    for (std::size_t i = 0; i < N; ++i) {
        controls[i] = T(std::string(name) + "(" + std::to_string(i) + ")", notifier);
    }
}

}  // namespace

FormModel::FormModel() {
    NameArray(cmdPage, "cmdPage", &notifier);
    NameArray(btnBrowse, "btnBrowse", &notifier);
    NameArray(imgPathLink, "imgPathLink", &notifier);
    NameArray(imgLineLink, "imgLineLink", &notifier);
    NameArray(optDirectoryBackups, "optDirectoryBackups", &notifier);

    // Design-time state of the window.
    frmMain.SetCaption("Determining Session...");
    frmUserPrompt.SetVisible(false);
    cmdPage[0].SetCaption("Path Settings");
    cmdPage[1].SetCaption("Program Settings");
    cmdPage[2].SetCaption("Activity Log");
    cmdPage[3].SetCaption("Controls");
    cmdPage[3].SetVisible(false);
    cmdRun.SetToolTip("Sync Files Now");
    cmdPreview.SetCaption("Preview");
    cmdPreview.SetToolTip("Show What A Sync Would Do, Changing Nothing");
    picIconBox.SetVisible(false);
    btnAutoSync.SetToolTip("Enable/Disable Auto-Sync");
    frmSettings.SetVisible(false);
    frmLog.SetVisible(false);
    frmControls.SetVisible(false);
    lblPbOverall.SetCaption("Total Function Progress");
    lblPbOverall.SetVisible(false);
    lblPbTask.SetCaption("Task Progress");
    lblPbTask.SetVisible(false);
    lblTime.SetCaption("12:00:00");
    lblNextSyncTitle.SetCaption("Next Sync Time");
    lblNextSyncTitle.SetVisible(false);
    lblNextSync.SetCaption("12:00:00");
    lblNextSync.SetVisible(false);
    lblStatus.SetCaption("Status - Loading...");

    for (const FolderCategory& category : kFolderCategories)
        (this->*category.label).SetCaption(category.labelCaption);
    lblAudioFilePaths.SetCaption("Audio File Paths");
    btnBrowse[kBrowseRemoteAudio].SetToolTip(
        "Select Remote Directory for the highlighted Local Audio File Path");
    btnBrowse[kBrowseRemoteAudio].SetEnabled(false);
    btnBrowse[kBrowseAddAudio].SetToolTip("Add new Local Audio File Path");
    btnDeleteAudioPath.SetEnabled(false);
    cmdLoadPaths.SetCaption("Reload Paths from Varnel");
    txtSession.SetText("0");
    txtSession.SetVisible(false);
    cmdValPaths.SetCaption("Validate Paths");
    cmdValPaths.SetVisible(false);

    frmBackupOptions.SetCaption("Replaced/Deleted File Backup Settings");
    chkEnableFileBackup.SetCaption(
        "Create a Backup Copy of Files Before Overwriting or Deleting Them");
    for (int i = 1; i <= 5; ++i)
        cboNumFileBackups.AddItem(std::to_string(i));
    lblBackupCopies.SetCaption(BackupCopiesCaption(false));
    optDirectoryBackups[0].SetCaption("Folder Type Specific Backups");
    optDirectoryBackups[1].SetCaption("Source Directory Specific Backups");
    chkAutoSync.SetCaption("Synchronize Folders Every");
    // The cycle values in minutes; each item carries its length in milliseconds. The
    // one-row list counts down, the drop-down list counts up.
    static constexpr int kCycleMinutes[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 20, 30, 45, 60};
    for (auto it = std::rbegin(kCycleMinutes); it != std::rend(kCycleMinutes); ++it) {
        lstSyncCycle.AddItem(std::to_string(*it), *it * 60000L);
    }
    for (int minutes : kCycleMinutes) {
        cboSyncCycle.AddItem(std::to_string(minutes), minutes * 60000L);
    }
    for (const SpeedLevel& level : kSpeedLevels)
        cboSyncSpeed.AddItem(level.listText);
    chkAutoStart.SetCaption("Automatically Synchronize When Application Starts");
    chkStartMinimized.SetCaption("Start Application Window in Minimized State");
    chkExtendedPaths.SetCaption("Include Extended Varnel Folders (Text, Video, and Serial Sets)");
    lblResult.SetCaption("Application Priority Not Verified");
    lblVersion.SetCaption("Version ?.?.?");
    btnTotalSpace.SetCaption("Total");
    btnFreeSpace.SetCaption("Free");
    txtSpace.SetVisible(false);
    txtSleepTimeSync.SetText("7");
    txtSleepTimeSync.SetVisible(false);
    txtSleepTimeCopy.SetText("3");
    txtSleepTimeCopy.SetVisible(false);

    lblTasksToDo.SetCaption("File Copy/Replace/Delete Tasks To Do");
    lblCompletedTasks.SetCaption("Completed Tasks");
    chkAutoScroll.SetCaption("Auto-Scroll");
    btnClearList.SetCaption("Clear List");
    for (int i = 1; i <= 10; ++i)
        cboMaxLogItems.AddItem(std::to_string(500 * i));
    cmdTestLoad.SetCaption("Test Load");
    cmdTestLoad.SetVisible(false);
}

TextBox& FormModel::LocalPathBox(int category) {
    return this->*FolderCategoryAt(category).localBox;
}

TextBox& FormModel::RemotePathBox(int category) {
    return this->*FolderCategoryAt(category).remoteBox;
}

// Told every time, not only on a change: the operator may have clicked elsewhere since,
// and the window moves the focus back to where the program wants it.
void FormModel::SetFocus(const std::string& controlName) {
    focus_ = controlName;
    notifier.Notify("focus");
}

}  // namespace vfs
