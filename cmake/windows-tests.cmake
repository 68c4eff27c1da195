# Unit tests of the core for the Windows build. GoogleTest is built from Debian's source
# package (/usr/src/googletest) with the same tool chain. The tests run under Wine, not
# through ctest: scripts/windows-test.sh starts them.
set(VFS_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for Windows")
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
# GoogleTest's own code is not held to our warning rules.
add_subdirectory(${VFS_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(target gtest gtest_main gmock gmock_main)
  if(TARGET ${target})
    target_compile_options(${target} PRIVATE -w)
  endif()
endforeach()

# The tests that do not depend on POSIX-only behaviour (file modes, symbolic links, FIFOs,
# signals, the POSIX path form). The others stay Linux tests.
set(VFS_WINDOWS_TEST_SOURCES
  tests/config/due_check_test.cpp
  tests/config/help_content_test.cpp
  tests/config/help_test.cpp
  tests/config/pages_test.cpp
  tests/config/path_grid_test.cpp
  tests/config/record_places_test.cpp
  tests/config/startup_test.cpp
  tests/config/tray_icon_test.cpp
  tests/engine/copy_progress_test.cpp
  tests/engine/run_controls_test.cpp
  tests/engine/run_sync_test.cpp
  tests/form/folder_categories_test.cpp
  tests/form/form_model_test.cpp
  tests/form/speed_levels_test.cpp
  tests/platform/name_table_test.cpp
  tests/platform/text_encoding_test.cpp
  tests/engine/windows_paths_test_win32.cpp
  tests/platform/win32_platform_test_win32.cpp
  tests/support/faulty_file_system.cpp
  tests/support/temp_dir_win32.cpp)
add_executable(vfs_tests ${VFS_WINDOWS_TEST_SOURCES})
target_include_directories(vfs_tests PRIVATE tests)
target_link_libraries(vfs_tests PRIVATE vfs_core gtest gmock gtest_main)
target_compile_definitions(vfs_tests PRIVATE VFS_HELP_DIR="help")
