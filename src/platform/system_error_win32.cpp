#include "platform/system_error.h"

#include <cstring>

#include "platform/win32_support.h"

namespace vfs::platform {

namespace {

// The system's message for a code, without the line end and the closing full stop, so it
// reads like the C library's texts inside the brackets of a line.
std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return {};
    std::wstring text(buffer, length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ' ||
                             text.back() == L'.')) {
        text.pop_back();
    }
    return Utf8(text);
}

}  // namespace

std::string ErrorText(int error) {
    const DWORD code = LastSystemErrorCode();
    if (code != ERROR_SUCCESS && ErrnoFromWin32(code) == error) {
        std::string message = SystemMessage(code);
        if (!message.empty()) return message;
    }
    return std::strerror(error);
}

}  // namespace vfs::platform
