#include "config/record_places.h"

#include <cerrno>
#include <cstring>

#include "config/settings_store.h"
#include "engine/file_helpers.h"
#include "engine/state_files.h"
#include "platform/access_probe.h"
#include "platform/system_error.h"

namespace vfs {

namespace {

constexpr const char* kNothingSynced = "  No files will be synced.";

std::string Reason(int error) {
    return " [" + platform::ErrorText(error) + "]";
}

RecordProblem Problem(const std::string& what, int error) {
    return {kRecordProblemTitle, what + Reason(error) + "." + kNothingSynced};
}

std::optional<RecordProblem> SettingsFileProblem(const Context& ctx) {
    const std::string file = SettingsFilePath(ctx);
    if (int error = platform::ProbeReadableIfPresent(file)) {
        return Problem("The settings file " + file + " cannot be read", error);
    }
    // A preview only reads the file; whether it could be saved is not its question.
    if (ctx.state.Preview) return std::nullopt;
    if (int error = platform::ProbeWritableIfPresent(file)) {
        return Problem("The settings file " + file + " cannot be written", error);
    }
    // The file is replaced through a new file beside it, so its folder must take one.
    if (int error = platform::ProbeWritableFolder(GetFolderPart(file))) {
        return Problem("The settings file " + file + " cannot be written", error);
    }
    return std::nullopt;
}

// Without a full path the files would land wherever the current directory happens to be.
std::optional<RecordProblem> ProgramFolderProblem(const Context& ctx) {
    if (!StateFolder(ctx).empty()) return std::nullopt;
    return RecordProblem{kRecordProblemTitle, "The program folder " + ctx.ports.programFolder +
                                                  " is not a full path." + kNothingSynced};
}

std::optional<RecordProblem> StateFolderProblem(const Context& ctx) {
    const std::string folder = StateFolder(ctx);
    // A preview writes nothing; without the folder it simply finds no earlier sync.
    if (ctx.state.Preview) return std::nullopt;
    // A folder that cannot be made is reported with the reason its parent refuses it; a
    // parent that takes new files leaves something else in the folder's place.
    if (!FolderExists(folder) && !MakeFolderPath(folder)) {
        const int error = platform::ProbeWritableFolder(GetFolderPart(folder));
        return Problem("The folder " + folder + " cannot be created", error ? error : EEXIST);
    }
    if (int error = platform::ProbeWritableFolder(folder)) {
        return Problem("The folder " + folder + " cannot hold the sync state files", error);
    }
    return std::nullopt;
}

}  // namespace

std::optional<RecordProblem> FindRecordProblem(Context& ctx) {
    if (auto problem = ProgramFolderProblem(ctx)) return problem;
    if (auto problem = SettingsFileProblem(ctx)) return problem;
    return StateFolderProblem(ctx);
}

}  // namespace vfs
