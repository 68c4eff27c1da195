#include "config/folder_chooser.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <sstream>

#include "config/path_grid.h"
#include "engine/file_helpers.h"
#include "engine/pair_links.h"
#include "engine/state_files.h"
#include "form/folder_categories.h"
#include "platform/drives.h"

namespace vfs {

namespace {

inline constexpr const char* kFilesFoundText =
    "Files Of The Specified Type Found In Selected Folder";
inline constexpr const char* kNoFilesFoundText =
    "No Files Of The Specified Type Found In Selected Folder";
inline constexpr const char* kAudioBrowsePattern = "*.wav;*.mp3;*.mp2;*.krt";

// What the duplicate messages call each category's folders.
inline constexpr std::array<const char*, kCategoryCount> kCategoryPathWords = {
    "Program Log", "Text File",  "Video File",         "Trigger Set",
    "Hot Key Set", "Serial Set", "Scheduled Event Set"};

// The browse buttons' targets, by btnBrowse index.
inline constexpr std::array<BrowseTarget, kChooserBackupFolder + 1> kBrowseTargets = {{
    {"*.kvo", "Select Program Log Path"},
    {"*.kvo", "Select Program Log Path"},
    {"*.*", "Select Text File Path"},
    {"*.*", "Select Text File Path"},
    {"*.*", "Select Video File Path"},
    {"*.*", "Select Video File Path"},
    {"*.trg", "Select Trigger Set Path"},
    {"*.trg", "Select Trigger Set Path"},
    {"*.key", "Select Hotkey Set Path"},
    {"*.key", "Select Hotkey Set Path"},
    {"*.ser", "Select Serial Set Path"},
    {"*.ser", "Select Serial Set Path"},
    {"*.skd", "Select Scheduled Event Set Path"},
    {"*.skd", "Select Scheduled Event Set Path"},
    {kAudioBrowsePattern, "Select Remote Audio Folder"},
    {kAudioBrowsePattern, "Select New Local Audio Folder"},
    {"*.*", "Select Backup Folder"},
}};

// File systems that live on another machine: an operator's shares.
bool IsNetworkFileSystem(const std::string& type) {
    static const std::array<const char*, 11> kTypes = {
        "nfs",           "nfs4",  "cifs", "smb3",      "smbfs", "fuse.sshfs",
        "fuse.smbnetfs", "davfs", "afs",  "glusterfs", "ceph"};
    return std::any_of(kTypes.begin(), kTypes.end(), [&](const char* t) { return type == t; });
}

bool IsAtOrUnder(const std::string& path, const std::string& folder) {
    // A drive root ("C:\") already ends with its separator.
    const std::string prefix = folder.ends_with(kSep) ? folder : folder + kSep;
    return path == folder || path.starts_with(prefix);
}

// A mount point is written with octal escapes for blanks, tabs, new lines and backslashes.
std::string DecodeMountField(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::isdigit(static_cast<unsigned char>(field[i + 1])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 2])) &&
            std::isdigit(static_cast<unsigned char>(field[i + 3]))) {
            const int code =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            out.push_back(static_cast<char>(code));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

bool IsOperatorMount(const std::string& source, const std::string& mountPoint,
                     const std::string& type) {
    if (IsNetworkFileSystem(type)) return true;
    for (const char* removable : {"/media", "/mnt", "/run/media"}) {
        if (IsAtOrUnder(mountPoint, removable)) return true;
    }
    // Other real disks (a data partition, /home, /srv), but not the system's own areas.
    if (!source.starts_with("/dev/")) return false;
    for (const char* system :
         {"/boot", "/etc", "/proc", "/sys", "/dev", "/run", "/snap", "/var/lib"}) {
        if (IsAtOrUnder(mountPoint, system)) return false;
    }
    return true;
}

std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == kSep)
        path.pop_back();
    return path;
}

}  // namespace

std::string DuplicateCategoryPathText(int category, bool remote) {
    const std::string word =
        kCategoryPathWords[static_cast<std::size_t>(std::clamp(category, 0, kCategoryCount - 1))];
    const std::string chosen = remote ? "remote" : "local";
    const std::string other = remote ? "local" : "remote";
    return "The " + chosen + " " + word + " path you've chosen matches the selected " + other +
           " " + word + " path.  Re-select your path and try again.";
}

BrowseTarget BrowseTargetFor(int browseIndex) {
    const bool inTable = browseIndex >= 0 && browseIndex <= kChooserBackupFolder;
    return kBrowseTargets[static_cast<std::size_t>(inTable ? browseIndex : kChooserBackupFolder)];
}

std::vector<std::string> DriveListFromMounts(const std::string& mountsText) {
    std::vector<std::string> others;
    std::istringstream lines(mountsText);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string source, mountPoint, type;
        if (!(fields >> source >> mountPoint >> type)) continue;
        mountPoint = DecodeMountField(mountPoint);
        if (mountPoint == "/" || !IsOperatorMount(source, mountPoint, type)) continue;
        others.push_back(mountPoint);
    }
    std::sort(others.begin(), others.end());
    others.erase(std::unique(others.begin(), others.end()), others.end());
    // The root is always there, and always first.
    std::vector<std::string> drives{"/"};
    drives.insert(drives.end(), others.begin(), others.end());
    return drives;
}

std::vector<std::string> SystemDriveList() {
    if (std::optional<std::vector<std::string>> roots = platform::DriveLetterRoots()) return *roots;
    return DriveListFromMounts(platform::MountTableText());
}

std::string DriveOfPath(const std::vector<std::string>& drives, const std::string& path) {
    std::string best;
    for (const std::string& drive : drives) {
        const bool holds = drive == "/" ? IsAbsoluteNative(path) : IsAtOrUnder(path, drive);
        if (holds && drive.size() > best.size()) best = drive;
    }
    return best;
}

bool SamePathIgnoringCase(const std::string& a, const std::string& b) {
    const std::string x = WithoutTrailingSeparators(a);
    const std::string y = WithoutTrailingSeparators(b);
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [](char p, char q) {
        return std::tolower(static_cast<unsigned char>(p)) ==
               std::tolower(static_cast<unsigned char>(q));
    });
}

FolderChooserModel::FolderChooserModel() {
    frmFileOpen.SetCaption("File Open");
    frmFileOpen.SetVisible(false);
    lblDriveList.SetCaption("Drive:");
    lblFileList.SetCaption("Existing Files:");
    lblFileList.SetVisible(false);
    fileList.SetVisible(false);
    lblFileName.SetCaption("Selected Path:");
    btnSave.SetCaption("Save");
    btnCancel.SetCaption("Cancel");
    lblFilesFound.SetCaption(kFilesFoundText);
    lblFilesFound.SetVisible(false);
    lblNoFilesFound.SetCaption(kNoFilesFoundText);
    lblNoFilesFound.SetVisible(false);
}

FolderChooser::FolderChooser(Context ctx, std::vector<std::string> drives) : ctx_(ctx) {
    for (const std::string& drive : drives)
        model.driveList.AddItem(drive);
}

void FolderChooser::Load() {
    if (ctx_.state.FileChooserOpen && model.frmFileOpen.Visible()) return;
    model.frmFileOpen.SetCaption("File Open");
    model.frmFileOpen.SetVisible(true);
    ctx_.state.FileChooserOpen = true;
    setDirListVisible(true);
    setAsSaveDialog(true);
}

void FolderChooser::Unload() {
    model.Timer2Enabled = false;
    model.frmFileOpen.SetVisible(false);
    ctx_.state.FileChooserOpen = false;
}

void FolderChooser::setAsSaveDialog(bool value) {
    model.btnSave.SetCaption(value ? "Save" : "Open");
    model.txtFileName.SetEnabled(value);
}

void FolderChooser::setDirListVisible(bool value) {
    model.lblDriveList.SetVisible(value);
    model.driveList.SetVisible(value);
    model.dirList.SetVisible(value);
    // Without the folder tree the file list takes the whole height.
    model.lblFileList.SetTop(value ? 2055 : 15);
    model.fileList.SetTop(value ? 2250 : 225);
    model.fileListHeight = value ? 1260 : 3210;
}

void FolderChooser::setSourceIndex(int index) {
    sourceIndex_ = index;
    if (index == kChooserBackupFolder) {
        // Any folder will do for backups: no notice about the files in it.
        model.Timer2Enabled = false;
        model.lblFilesFound.SetVisible(false);
        model.lblNoFilesFound.SetVisible(false);
    } else {
        model.Timer2Enabled = true;
    }
}

void FolderChooser::setInitDir(const std::string& path) {
    const std::string folder = GetFolderPart(WithoutTrailingSeparators(path));
    const std::vector<std::string> drives = model.driveList.Items();
    const std::string drive = DriveOfPath(drives, folder);
    const auto at = std::find(drives.begin(), drives.end(), drive);
    if (at != drives.end()) model.driveList.SetListIndex(static_cast<int>(at - drives.begin()));
    model.dirList.SetCaption(folder);
    SetFileListFolder(folder);
    model.txtFileName.SetText(folder);
}

void FolderChooser::setAudioPathIndex(int index) {
    audioPathIndex_ = index;
}

void FolderChooser::setFileListPattern(const std::string& pattern) {
    model.fileListPattern = pattern;
    SetFileListFolder(currentFolder());
}

void FolderChooser::setTitle(const std::string& title) {
    model.frmFileOpen.SetCaption(title);
}

void FolderChooser::driveList_Change(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= model.driveList.ListCount()) return;
    model.driveList.SetListIndex(index);
    dirList_Change(model.driveList.Item(static_cast<std::size_t>(index)));
}

void FolderChooser::dirList_Change(const std::string& folder) {
    model.dirList.SetCaption(folder);
    SetFileListFolder(folder);
    model.txtFileName.SetText(folder);
}

void FolderChooser::Timer2_Timer() {
    if (!model.Timer2Enabled) return;
    const bool none = model.fileList.ListCount() == 0;
    model.lblNoFilesFound.SetVisible(none);
    model.lblFilesFound.SetVisible(!none);
}

void FolderChooser::SetFileListFolder(const std::string& folder) {
    model.fileList.Clear();
    // An unreadable folder lists nothing; the dialog carries on.
    if (folder.empty() || model.fileListPattern.empty()) return;
    const auto names = ctx_.ports.fileSystem->ListFolder(folder, model.fileListPattern);
    if (!names) return;
    for (const std::string& name : *names)
        model.fileList.AddItem(name);
}

void FolderChooser::Refuse(const std::string& text) {
    ctx_.ports.messageBox(kDuplicatePathTitle, text, MessageBoxButtons::Ok);
}

bool FolderChooser::btnSave_Click() {
    // The folder tree decides, not the text field.
    const std::string choice = currentFolder();
    if (choice.empty()) {
        ctx_.ports.messageBox(kInvalidDirectoryTitle, kInvalidDirectoryText, MessageBoxButtons::Ok);
        return false;
    }
    bool accepted = true;
    if (sourceIndex_ >= 0 && sourceIndex_ <= kChooserLastCategoryField) {
        accepted = ConfirmCategoryField(choice);
    } else if (sourceIndex_ == kChooserRemoteAudio) {
        accepted = ConfirmRemoteAudio(choice);
    } else if (sourceIndex_ == kChooserNewAudio) {
        accepted = ConfirmNewAudio(choice);
    } else if (sourceIndex_ == kChooserBackupFolder) {
        ctx_.form.txtBackupDir.SetText(choice);
    }
    if (!accepted) return false;
    if (sourceIndex_ >= 0 && sourceIndex_ < kChooserBackupFolder) ValidatePaths(ctx_);
    Unload();
    return true;
}

bool FolderChooser::ConfirmCategoryField(const std::string& choice) {
    const int category = sourceIndex_ / 2;
    const bool remote = sourceIndex_ % 2 == 1;
    FormModel& form = ctx_.form;
    TextBox& target = remote ? form.RemotePathBox(category) : form.LocalPathBox(category);
    const TextBox& opposite = remote ? form.LocalPathBox(category) : form.RemotePathBox(category);
    if (SamePathIgnoringCase(choice, opposite.Text())) {
        Refuse(DuplicateCategoryPathText(category, remote));
        return false;
    }
    target.SetText(choice);
    // A confirmed choice is a new pair even when the text did not change: the operator may
    // have replaced the folder's contents behind the same name.
    DeleteStateFiles(ctx_, FolderCategoryAt(category).name);
    return true;
}

// A folder can never be both sides of one pair, nor a side of two pairs: the choice may be
// no audio row's local folder and no other row's remote folder (`ownRow`, the row the
// remote folder is chosen for, is left out; -1 for a new row). The choice is a real folder,
// so a remote folder not chosen yet ("<Not Specified>") never matches it.
bool FolderChooser::RefuseDuplicateAudio(const std::string& choice, int ownRow) {
    const FormModel& form = ctx_.form;
    const std::size_t rows = form.lstLAudioPaths.ListCount();
    for (std::size_t i = 0; i < rows; ++i) {
        if (SamePathIgnoringCase(choice, form.lstLAudioPaths.Item(i))) {
            Refuse(kDuplicateLocalAudioText);
            return true;
        }
        if (static_cast<int>(i) != ownRow && i < form.lstRAudioPaths.ListCount() &&
            SamePathIgnoringCase(choice, form.lstRAudioPaths.Item(i))) {
            Refuse(kDuplicateRemoteAudioText);
            return true;
        }
    }
    return false;
}

bool FolderChooser::ConfirmRemoteAudio(const std::string& choice) {
    if (RefuseDuplicateAudio(choice, audioPathIndex_)) return false;
    FormModel& form = ctx_.form;
    const int row = audioPathIndex_;
    if (row < 0 || static_cast<std::size_t>(row) >= form.lstRAudioPaths.ListCount()) return true;
    form.lstRAudioPaths.SetItem(static_cast<std::size_t>(row), choice);
    if (row < kMaxAudioRows) {
        ShowLineLink(form.imgLineLink[static_cast<std::size_t>(row)],
                     ValidateAudioPath(ctx_, row) ? LinkState::Active : LinkState::Error);
    }
    DeleteStateFiles(ctx_, AudioCategoryName(row));
    return true;
}

bool FolderChooser::ConfirmNewAudio(const std::string& choice) {
    if (RefuseDuplicateAudio(choice, -1)) return false;
    AddAudioRow(ctx_, choice);
    return true;
}

void FolderChooser::btnCancel_Click() {
    Unload();
}

void btnBrowse_Click(Context& ctx, FolderChooser& chooser, int index) {
    ctx.form.SetFocus("txtFocus");
    if (index < 0 || index > kChooserBackupFolder) return;
    chooser.Load();
    chooser.setAsSaveDialog(false);
    chooser.setDirListVisible(true);
    chooser.setSourceIndex(index);
    chooser.setInitDir(ctx.ports.programFolder);
    chooser.setAudioPathIndex(0);
    const BrowseTarget target = BrowseTargetFor(index);
    chooser.setFileListPattern(target.pattern);
    chooser.setTitle(target.title);
    if (index == kChooserRemoteAudio) {
        // The selected row's remote folder; row 0 when no row is selected.
        const int selected = ctx.form.lstRAudioPaths.ListIndex();
        if (selected >= 0) chooser.setAudioPathIndex(selected);
    }
}

bool PathField_Edited(Context& ctx, const std::string& controlName, const std::string& textBefore) {
    for (const FolderCategory& category : kFolderCategories) {
        const TextBox& local = ctx.form.*category.localBox;
        const TextBox& remote = ctx.form.*category.remoteBox;
        const TextBox* box = local.Name() == controlName    ? &local
                             : remote.Name() == controlName ? &remote
                                                            : nullptr;
        if (!box) continue;
        if (box->Text() == textBefore) return false;
        DeleteStateFiles(ctx, category.name);
        return true;
    }
    return false;
}

}  // namespace vfs
