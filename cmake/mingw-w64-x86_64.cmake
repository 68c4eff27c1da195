# Cross build for 64-bit Windows with Debian's mingw-w64 tool chain, posix-threads variant
# (std::thread and std::mutex need it). Use: cmake -DCMAKE_TOOLCHAIN_FILE=<this file> ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VFS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VFS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VFS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VFS_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VFS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The executables carry the compiler's run-time libraries inside, so they run on a bare
# Windows (or Wine) without the tool chain's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
