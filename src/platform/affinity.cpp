#include "platform/affinity.h"

#include <sched.h>
#include <unistd.h>

#include <cstdlib>

namespace vfs::platform {

uint32_t AffinityMaskFor(const char* numberOfProcessors) {
    // Read as a number the way the variable always was: leading digits, else 0.
    const long count = numberOfProcessors != nullptr ? std::atol(numberOfProcessors) : 0;
    if (count == 1) return 1;
    if (count == 2) return 2;
    return 3;
}

bool SetProcessAffinity(uint32_t mask) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return false;
    cpu_set_t wanted;
    CPU_ZERO(&wanted);
    int count = 0;
    for (int cpu = 0; cpu < 32; ++cpu) {
        if ((mask & (1u << cpu)) != 0 && CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &wanted);
            ++count;
        }
    }
    if (count == 0) return false;
    return sched_setaffinity(0, sizeof wanted, &wanted) == 0;
}

}  // namespace vfs::platform
