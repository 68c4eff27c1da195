// Linux keeps its text in UTF-8: there is no ANSI code page to convert from or to.
#include "platform/text_encoding.h"

namespace vfs::platform {

std::optional<std::string> FromAnsiCodePage(std::string_view) {
    return std::nullopt;
}

std::optional<std::string> ToAnsiCodePage(std::string_view) {
    return std::nullopt;
}

}  // namespace vfs::platform
