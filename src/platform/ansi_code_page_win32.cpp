#include <limits>

#include "platform/text_encoding.h"
#include "platform/win32_support.h"

namespace vfs::platform {

std::optional<std::string> FromAnsiCodePage(std::string_view bytes) {
    if (bytes.empty()) return std::string();
    if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length);
    return Utf8(wide);
}

// Refused where a letter has no exact place in the code page: a best-fit stand-in ("U" for
// "Ü" elsewhere, "?" for Cyrillic) would name another folder.
std::optional<std::string> ToAnsiCodePage(std::string_view utf8) {
    if (utf8.empty()) return std::string();
    const std::wstring wide = Wide(std::string(utf8));
    if (wide.empty()) return std::nullopt;
    const int size = static_cast<int>(wide.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, nullptr,
                                           0, nullptr, &lossy);
    if (length <= 0 || lossy) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), size, bytes.data(), length,
                        nullptr, &lossy);
    if (lossy) return std::nullopt;
    return bytes;
}

}  // namespace vfs::platform
