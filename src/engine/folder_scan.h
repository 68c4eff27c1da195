// The scan of one folder pair: both folders are listed, compared with the names the pair
// held after the previous sync, and turned into task lines and a pending state file.
#pragma once

#include <cstdint>
#include <string>

#include "engine/context.h"
#include "platform/clock.h"

namespace vfs {

// Lists the local and the remote folder of one pair, queues one Copy, Replace or Delete
// line per file that needs one, and writes the names both sides will hold once those tasks
// have run as the category's pending state file. Nothing is copied or deleted here.
// Every outcome, including an unexpected error, is reported in the activity log; the
// caller's texts are not changed.
void ScanFolderPair(Context& ctx, const std::string& localPath, const std::string& remotePath,
                    const std::string& pattern, const std::string& category);

}  // namespace vfs
