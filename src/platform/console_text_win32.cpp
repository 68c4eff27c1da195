#include "platform/console_text.h"

#include <io.h>

#include "platform/win32_support.h"

namespace vfs::platform {

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fflush(stream);
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Wide(text) + L"\r\n";
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace vfs::platform
