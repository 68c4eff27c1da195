// Backups of replaced and deleted files: a rotating set of up to five numbered copies per
// file name, below one backup folder per category or per source folder.
#pragma once

#include <string>

#include "engine/context.h"

namespace vfs {

// Copies sourceFolder + fileName into the next copy slot of its backup folder. True when
// the copy exists afterwards, and when backups are switched off.
bool CreateBackup(Context& ctx, const std::string& fileName, const std::string& sourceFolder,
                  const std::string& category);

// The backup folder of a file, with a trailing separator; empty when it cannot be formed
// (folder-type structure with an empty category name).
std::string BackupFolderFor(const std::string& root, const std::string& sourceFolder,
                            const std::string& category, bool folderTypeSpecific);

// Settings-page handlers of the backup options.
void cboNumFileBackups_Click(Context& ctx);
void optDirectoryBackups_Click(Context& ctx, int index);
// Applies a structure type (also used when the settings are loaded).
void ApplyBackupType(Context& ctx, bool folderTypeSpecific);

}  // namespace vfs
