#include "platform/console_text.h"

namespace vfs::platform {

void PrintLine(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace vfs::platform
