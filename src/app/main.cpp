// Entry point. Until the program can sync, it prints its version and exits.
#include <cstdio>

int main() {
    std::printf("VarnelFileSync %d.%d.%d\n", VFS_VERSION_MAJOR, VFS_VERSION_MINOR,
                VFS_VERSION_PATCH);
    return 0;
}
