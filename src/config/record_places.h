// The places where the program keeps what it has synced: the settings file and the
// state-file folder. A sync whose record cannot be saved would take the operator's
// deletions for new files on its next run and copy them back, so the program refuses to
// start when either place is unusable.
#pragma once

#include <optional>
#include <string>

#include "engine/context.h"

namespace vfs {

struct RecordProblem {
    std::string title;
    std::string message;
};

inline constexpr const char* kRecordProblemTitle = "Varnel File Sync Cannot Keep Its Records";

// Nothing when the settings file can be read (or does not exist yet) and both it and the
// state-file folder can be written; the folder is created when missing. Otherwise the box
// that says which place is unusable and why. Session and program folder must be known.
std::optional<RecordProblem> FindRecordProblem(Context& ctx);

}  // namespace vfs
