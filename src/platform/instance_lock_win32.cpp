#include "platform/instance_lock.h"

#include <functional>
#include <utility>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

// The user's name, so two users of one terminal session never meet.
std::string UserName() {
    wchar_t name[257] = {};
    DWORD size = 257;
    return GetUserNameW(name, &size) ? Utf8(name) : std::string("user");
}

// Backslashes would name a namespace; every other character may stand in an object name.
std::string PlainObjectText(std::string text) {
    for (char& c : text) {
        if (c == '\\') c = '_';
    }
    return text;
}

}  // namespace

InstanceLock::InstanceLock(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty()) {
        folder_ = DefaultFolder();
        perUserFolder_ = false;
    }
}

InstanceLock::~InstanceLock() {
    Release();
}

// Named objects live in the session's own namespace, not in a folder.
std::string InstanceLock::DefaultFolder() {
    return {};
}

// "Local\" keeps the object inside the logon session; the user's name and a folder a caller
// chose (tests choose their own) become part of the name.
std::string InstanceLock::FilePathFor(const std::string& marker) const {
    std::string name = "Local\\" + PlainObjectText(marker) + "-" + PlainObjectText(UserName());
    // A folder stands in the name by its hash: object names are limited in length.
    if (!folder_.empty()) name += "-" + std::to_string(std::hash<std::string>{}(folder_));
    return name;
}

bool InstanceLock::Acquire(const std::string& marker) {
    Release();
    const std::wstring name = Wide(FilePathFor(marker));
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    // An object that cannot be made at all does not stop the program.
    if (mutex == nullptr) return true;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    // The system removes the object with the last handle, however the process ends.
    handle_ = mutex;
    return true;
}

void InstanceLock::Release() {
    if (handle_ != nullptr) CloseHandle(handle_);
    handle_ = nullptr;
}

}  // namespace vfs::platform
