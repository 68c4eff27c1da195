#include "platform/affinity.h"

#include <cstdlib>

#include "platform/win32_support.h"

namespace vfs::platform {

uint32_t AffinityMaskFor(const char* numberOfProcessors) {
    // Read as a number the way the variable always was: leading digits, else 0.
    const long count = numberOfProcessors != nullptr ? std::atol(numberOfProcessors) : 0;
    if (count == 1) return 1;
    if (count == 2) return 2;
    return 3;
}

bool SetProcessAffinity(uint32_t mask) {
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask)) return false;
    // Only processors that exist: a mask naming none of them would be refused anyway.
    const DWORD_PTR wanted = static_cast<DWORD_PTR>(mask) & systemMask;
    if (wanted == 0) return false;
    return SetProcessAffinityMask(GetCurrentProcess(), wanted) != 0;
}

}  // namespace vfs::platform
