// The main window's controls as plain data, one member per control under the control's
// own name. The engine and configuration code work on this model only; the Qt window
// renders it, the headless program and the tests just read it.
#pragma once

#include <array>
#include <string>

#include "form/controls.h"

namespace vfs {

// Number of fixed folder categories (the rows of kFolderCategories, whose controls are
// declared below) and of possible audio rows.
inline constexpr int kCategoryCount = 7;
inline constexpr int kMaxAudioRows = 50;

// The browse buttons (btnBrowse): a local and a remote one for each fixed category, in
// category order, then the remote folder of the selected audio row, a new audio row, and
// the backup folder.
inline constexpr std::size_t BrowseLocalIndex(int category) {
    return 2 * static_cast<std::size_t>(category);
}
inline constexpr std::size_t BrowseRemoteIndex(int category) {
    return BrowseLocalIndex(category) + 1;
}
inline constexpr std::size_t kBrowseRemoteAudio = BrowseLocalIndex(kCategoryCount);
inline constexpr std::size_t kBrowseAddAudio = kBrowseRemoteAudio + 1;
inline constexpr std::size_t kBrowseBackupFolder = kBrowseAddAudio + 1;

// The caption of lblBackupCopies, for one backup copy or several.
inline const char* BackupCopiesCaption(bool several) {
    return several ? "Copies to the Following Backup Directory:"
                   : "Copy to the Following Backup Directory:";
}

class FormModel {
  public:
    FormModel();
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;

    // The one listener that hears about every control change (the window).
    ChangeNotifier notifier;

#define VFS_CONTROL(Type, name) \
    Type name {                 \
#name, &notifier        \
    }
    // Window captions and the message window.
    VFS_CONTROL(Frame, frmMain);
    VFS_CONTROL(Frame, frmUserPrompt);  // caption = title; visible while open
    VFS_CONTROL(Label, lblMessage);

    // Top bar.
    std::array<Button, 4> cmdPage;
    VFS_CONTROL(Button, cmdRun);
    VFS_CONTROL(Button, cmdPreview);  // a scan that shows the tasks and changes nothing
    VFS_CONTROL(Frame, picIconBox);
    VFS_CONTROL(Picture, picIcon);
    VFS_CONTROL(Button, btnAutoSync);
    VFS_CONTROL(Button, Command1);
    VFS_CONTROL(TextBox, txtFocus);

    // Page containers.
    VFS_CONTROL(Frame, frmPaths);
    VFS_CONTROL(Frame, frmSettings);
    VFS_CONTROL(Frame, frmLog);
    VFS_CONTROL(Frame, frmControls);

    // Bottom area.
    VFS_CONTROL(Label, lblPbOverall);
    VFS_CONTROL(ProgressBar, pbOverall);
    VFS_CONTROL(Label, lblPbTask);
    VFS_CONTROL(ProgressBar, pbTask);
    VFS_CONTROL(Label, lblTime);
    VFS_CONTROL(Label, lblNextSyncTitle);
    VFS_CONTROL(Label, lblNextSync);
    VFS_CONTROL(Label, lblStatus);

    // Path page: the fixed category rows.
    VFS_CONTROL(TextBox, txtLPLog);
    VFS_CONTROL(TextBox, txtRPLog);
    VFS_CONTROL(TextBox, txtLText);
    VFS_CONTROL(TextBox, txtRText);
    VFS_CONTROL(TextBox, txtLVideo);
    VFS_CONTROL(TextBox, txtRVideo);
    VFS_CONTROL(TextBox, txtLTrigger);
    VFS_CONTROL(TextBox, txtRTrigger);
    VFS_CONTROL(TextBox, txtLHotkey);
    VFS_CONTROL(TextBox, txtRHotkey);
    VFS_CONTROL(TextBox, txtLSerial);
    VFS_CONTROL(TextBox, txtRSerial);
    VFS_CONTROL(TextBox, txtLSched);
    VFS_CONTROL(TextBox, txtRSched);
    VFS_CONTROL(Label, lblProgramLogs);
    VFS_CONTROL(Label, lblTextFiles);
    VFS_CONTROL(Label, lblVideoFiles);
    VFS_CONTROL(Label, lblTriggerSets);
    VFS_CONTROL(Label, lblHotkeySets);
    VFS_CONTROL(Label, lblSerialSets);
    VFS_CONTROL(Label, lblSchedSets);
    std::array<Button, kBrowseBackupFolder + 1> btnBrowse;
    std::array<Picture, kCategoryCount> imgPathLink;

    // Path page: audio rows.
    VFS_CONTROL(Label, lblAudioFilePaths);
    VFS_CONTROL(ListBox, lstLAudioPaths);
    VFS_CONTROL(ListBox, lstRAudioPaths);
    std::array<Picture, kMaxAudioRows> imgLineLink;
    VFS_CONTROL(Frame, frmLineLink);       // Top() is the indicator column's offset
    VFS_CONTROL(Frame, frmLineLinkOuter);  // Top() follows the audio lists
    VFS_CONTROL(Button, btnDeleteAudioPath);
    VFS_CONTROL(Button, cmdLoadPaths);
    VFS_CONTROL(TextBox, txtSession);
    VFS_CONTROL(Button, cmdValPaths);

    // Settings page.
    VFS_CONTROL(Frame, frmBackupOptions);
    VFS_CONTROL(CheckBox, chkEnableFileBackup);
    VFS_CONTROL(ListBox, cboNumFileBackups);
    VFS_CONTROL(TextBox, txtBackupDir);
    VFS_CONTROL(Label, lblBackupCopies);
    std::array<OptionButton, 2> optDirectoryBackups;
    VFS_CONTROL(Label, lblBackupTypeInfo);
    VFS_CONTROL(ListBox, lstSyncCycle);
    VFS_CONTROL(ListBox, cboSyncCycle);
    VFS_CONTROL(CheckBox, chkAutoSync);
    VFS_CONTROL(ListBox, cboSyncSpeed);
    VFS_CONTROL(CheckBox, chkAutoStart);
    VFS_CONTROL(CheckBox, chkStartMinimized);
    VFS_CONTROL(CheckBox, chkExtendedPaths);
    VFS_CONTROL(ListBox, cboPriority);
    VFS_CONTROL(Label, lblResult);
    VFS_CONTROL(Label, lblVersion);
    VFS_CONTROL(Button, btnTotalSpace);
    VFS_CONTROL(Button, btnFreeSpace);
    VFS_CONTROL(TextBox, txtSpace);
    VFS_CONTROL(Label, lblSpace);
    VFS_CONTROL(TextBox, txtSleepTimeSync);
    VFS_CONTROL(TextBox, txtSleepTimeCopy);

    // Activity-log page.
    VFS_CONTROL(Label, lblTasksToDo);
    VFS_CONTROL(ListBox, lstTasksToDo);  // the task queue itself
    VFS_CONTROL(Label, lblCompletedTasks);
    VFS_CONTROL(ListBox, lstCompletedTasks);
    VFS_CONTROL(CheckBox, chkLogToFile);
    VFS_CONTROL(CheckBox, chkAutoScroll);
    VFS_CONTROL(Button, btnClearList);
    VFS_CONTROL(ListBox, cboMaxLogItems);
    VFS_CONTROL(Button, cmdTestLoad);
#undef VFS_CONTROL

    // The path boxes of a fixed category, as in the path grid; any index off the table
    // answers the last category's boxes.
    TextBox& LocalPathBox(int category);
    TextBox& RemotePathBox(int category);

    // Keyboard focus, by control name ("txtFocus" after most button actions).
    const std::string& Focus() const {
        return focus_;
    }
    void SetFocus(const std::string& controlName);

  private:
    std::string focus_;
};

}  // namespace vfs
