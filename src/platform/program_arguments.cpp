#include "platform/program_arguments.h"

namespace vfs::platform {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    if (argc < 1 || argv == nullptr) return {};
    return {argv + 1, argv + argc};
}

}  // namespace vfs::platform
