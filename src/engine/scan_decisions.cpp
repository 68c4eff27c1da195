#include "engine/scan_decisions.h"

namespace vfs {

bool IsConflict(Reason reason) {
    return reason == Reason::BothChangedRemoteNewer || reason == Reason::BothChangedLocalNewer;
}

std::string DecisionText(Reason reason, std::string_view view, std::string_view note) {
    const std::string name(view);
    switch (reason) {
        case Reason::LocalChangedAfterSync:
            return "Local copy of \"" + name +
                   "\" needs to be copied to remote folder because it was changed after the "
                   "last sync";
        case Reason::LocalGoneRemotely:
            return "Local copy of \"" + name +
                   "\" needs to be deleted because it doesn't exist in remote folder any longer";
        case Reason::LocalNotSynced:
            return "Local copy of \"" + name +
                   "\" needs to be copied to remote folder because it doesn't exist in remote "
                   "folder and has not been synced previously";
        case Reason::RemoteNewer:
            return "Local copy of \"" + name + "\" needs to be replaced since remote copy is newer";
        case Reason::LocalNewer:
            return "Remote copy of \"" + name + "\" needs to be replaced since local copy is newer";
        case Reason::RemoteChangedAfterSync:
            return "Remote copy of \"" + name +
                   "\" needs to be copied to local folder because it was changed after the "
                   "last sync";
        case Reason::RemoteGoneLocally:
            return "Remote copy of \"" + name +
                   "\" needs to be deleted because it doesn't exist in local folder any longer";
        case Reason::RemoteNotSynced:
            return "Remote copy of \"" + name +
                   "\" needs to be copied to local folder because it doesn't exist in local "
                   "folder and has not been synced previously";
        case Reason::LocalChangedOnly:
            return "Remote copy of \"" + name +
                   "\" needs to be replaced because only the local copy changed since the last "
                   "sync";
        case Reason::RemoteChangedOnly:
            return "Local copy of \"" + name +
                   "\" needs to be replaced because only the remote copy changed since the last "
                   "sync";
        case Reason::BothChangedRemoteNewer:
            return "Local copy of \"" + name +
                   "\" needs to be replaced: changed on both sides since the last sync; the "
                   "newer remote copy wins" +
                   std::string(note);
        case Reason::BothChangedLocalNewer:
            return "Remote copy of \"" + name +
                   "\" needs to be replaced: changed on both sides since the last sync; the "
                   "newer local copy wins" +
                   std::string(note);
    }
    return {};
}

}  // namespace vfs
