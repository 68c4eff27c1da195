#include "platform/system_error.h"

#include <cstring>

namespace vfs::platform {

std::string ErrorText(int error) {
    return std::strerror(error);
}

}  // namespace vfs::platform
