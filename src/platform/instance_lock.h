// One running instance per session and user. A starting instance takes an advisory lock on
// a file named after its session marker; a second instance of the same session finds the
// lock taken. The system drops the lock when the process ends, however it ends, so a crash
// never leaves a session locked.
#pragma once

#include <string>

#ifndef _WIN32
#include "platform/unique_fd.h"
#endif

namespace vfs::platform {

class InstanceLock {
  public:
    // folder: where the lock files live; empty means the default folder.
    explicit InstanceLock(std::string folder = "");
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // $XDG_RUNTIME_DIR when set, else /tmp.
    static std::string DefaultFolder();
    // The lock file of a marker. Outside the per-user runtime folder the user id is part of
    // the name, so two users' sessions never meet.
    std::string FilePathFor(const std::string& marker) const;

    // Takes the lock of the marker. False when another process holds it; a lock file that
    // cannot be opened at all does not stop the program (true, nothing held).
    bool Acquire(const std::string& marker);
    // Lets the lock go (also done by the destructor).
    void Release();
#ifdef _WIN32
    bool Held() const {
        return handle_ != nullptr;
    }
#else
    bool Held() const {
        return fd_.IsOpen();
    }
#endif

  private:
    std::string folder_;
    bool perUserFolder_ = false;
#ifdef _WIN32
    void* handle_ = nullptr;  // the session's named object
#else
    UniqueFd fd_;
#endif
};

}  // namespace vfs::platform
