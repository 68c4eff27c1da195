// Previous-sync state files: per folder category, the names the pair held on both sides
// after the last completed sync (".dat", committed) and the names written by the scan of
// the current run (".tmp", pending). One name per line, CR LF.
#pragma once

#include <string>
#include <vector>

#include "engine/context.h"
#include "engine/file_helpers.h"

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
void SaveStateFile(const Context& ctx, const std::string& category,
                   const std::vector<std::string>& names, bool pending);
void DeleteStateFiles(const Context& ctx, const std::string& category);
void DeleteAllStateFiles(const Context& ctx, bool pending);
void CommitStateFiles(const Context& ctx);
void RemoveFromPendingStates(const Context& ctx, const std::string& fileName);

// The folder pair a category's state belongs to, kept beside its state files (base name +
// ".pair": the local and the remote folder, one per line). The state files hold names only;
// without this record a pair whose folders were changed in the settings file would be
// compared with the old pair's names, and files missing from the new folder would be taken
// for deletions.
void SaveStatePair(const Context& ctx, const std::string& category, const std::string& localPath,
                   const std::string& remotePath);
// False only when a record exists and names other folders; state saved before such records
// were kept has none and is trusted as before.
bool StatePairMatches(const Context& ctx, const std::string& category, const std::string& localPath,
                      const std::string& remotePath);

// The diagnostic record form: fields separated by the character with code 1.
struct StateRecord {
    std::string FileName;
    std::string dateText;
    std::string sizeText;
    std::string onOtherSideText;
};
std::vector<StateRecord> ParseRecordText(const std::string& text);

}  // namespace vfs
