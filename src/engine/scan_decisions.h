// Why the scan decides a task for a file, and the decision line that says so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vfs {

// Why a file needs a task; the log line is written from it only when the task is queued.
enum class Reason : uint8_t {
    LocalChangedAfterSync,
    LocalGoneRemotely,
    LocalNotSynced,
    RemoteNewer,
    LocalNewer,
    RemoteChangedAfterSync,
    RemoteGoneLocally,
    RemoteNotSynced,
    LocalChangedOnly,
    RemoteChangedOnly,
    BothChangedRemoteNewer,
    BothChangedLocalNewer,
};

// A file edited on both sides since the last sync: the newer copy wins over the other edit.
bool IsConflict(Reason reason);

// The line written to the task log when the task is queued. `note` ends a conflict's line
// with where the older copy goes.
std::string DecisionText(Reason reason, std::string_view name, std::string_view note = {});

}  // namespace vfs
