# Installing and packaging: `cmake --install build` puts the program, its help, the desktop
# entry, the icon, the man page and example systemd user units under the prefix; `cpack`
# (run in the build folder) builds a Debian package of the same files.
include(GNUInstallDirs)

set(VFS_DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(VFS_GENERATED_DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(VFS_VERSION ${PROJECT_VERSION})
# The version as --version prints it, for the test of the installed copy.
file(WRITE ${VFS_GENERATED_DIST_DIR}/version ${PROJECT_VERSION})

install(TARGETS varnelfilesync RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The help as the build lays it out beside the program, with the pictures its pages show;
# the help window finds it in the share folder next to the installed program's bin folder.
install(DIRECTORY ${CMAKE_BINARY_DIR}/help/ DESTINATION ${CMAKE_INSTALL_DATADIR}/varnelfilesync/help
        PATTERN ".copied" EXCLUDE)

install(FILES ${VFS_DIST_DIR}/varnelfilesync.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# The icon: the SVG always, PNG sizes for menus and panels that want them when the SVG
# renderer is there at build time.
set(VFS_ICON_SVG ${CMAKE_SOURCE_DIR}/src/ui/resources/program.svg)
if(EXISTS ${VFS_ICON_SVG})
  install(FILES ${VFS_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME varnelfilesync.svg)
  find_program(VFS_RSVG_CONVERT rsvg-convert)
  if(VFS_RSVG_CONVERT)
    set(VFS_ICON_PNGS)
    foreach(size 16 24 32 48 64 128 256)
      set(png ${VFS_GENERATED_DIST_DIR}/icons/${size}/varnelfilesync.png)
      add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${VFS_GENERATED_DIST_DIR}/icons/${size}
        COMMAND ${VFS_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${VFS_ICON_SVG}
        DEPENDS ${VFS_ICON_SVG} VERBATIM)
      list(APPEND VFS_ICON_PNGS ${png})
      install(FILES ${png}
              DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
    endforeach()
    add_custom_target(vfs_icons ALL DEPENDS ${VFS_ICON_PNGS})
  endif()
endif()

# The man page, compressed as Debian ships man pages.
configure_file(${VFS_DIST_DIR}/varnelfilesync.1 ${VFS_GENERATED_DIST_DIR}/varnelfilesync.1 @ONLY)
find_program(VFS_GZIP gzip)
if(VFS_GZIP)
  set(VFS_MAN_PAGE ${VFS_GENERATED_DIST_DIR}/varnelfilesync.1.gz)
  add_custom_command(OUTPUT ${VFS_MAN_PAGE}
    COMMAND ${VFS_GZIP} -9 -n -c ${VFS_GENERATED_DIST_DIR}/varnelfilesync.1 > ${VFS_MAN_PAGE}
    DEPENDS ${VFS_GENERATED_DIST_DIR}/varnelfilesync.1)
  add_custom_target(vfs_man_page ALL DEPENDS ${VFS_MAN_PAGE})
else()
  set(VFS_MAN_PAGE ${VFS_GENERATED_DIST_DIR}/varnelfilesync.1)
endif()
install(FILES ${VFS_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# systemd user units (Debian's place for packaged user units is /usr/lib/systemd/user).
# They name the program without a folder: systemd finds it in /usr/local/bin and /usr/bin
# alike, so the same units serve a package and a hand-made install.
install(FILES ${VFS_DIST_DIR}/systemd/varnelfilesync@.service
              ${VFS_DIST_DIR}/systemd/varnelfilesync-sync.service
              ${VFS_DIST_DIR}/systemd/varnelfilesync-sync.timer
        DESTINATION lib/systemd/user)

# --- Debian package ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME varnelfilesync)
set(CPACK_PACKAGE_VENDOR "VarnelFileSync")
set(CPACK_PACKAGE_CONTACT "VarnelFileSync maintainers <varnelfilesync@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "two-way folder sync for radio playout machines")
set(CPACK_PACKAGE_DESCRIPTION
    "Keeps a local and a remote copy of a radio-automation system's working folders in step, pair by pair, with a three-way comparison so that a deletion is told from a new file. Runs with a window or headless, from systemd or cron.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the Debian packages of every library the program links (the Qt
# runtime once the window is built in), so the package installs cleanly on a fresh machine.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What it cannot see: the Qt plugins the window loads at run time. libqt6svg6 holds the SVG
# image and icon plugins that draw every picture (indicators, buttons, the window icon);
# qt6-qpa-plugins holds Qt's further platform plugins, which libqt6gui6 only recommends
# (Debian 12 keeps the xcb one in libqt6gui6 itself; naming both keeps the window whichever
# of the two holds it). No versions: both depend on the exact Qt they were built for, and
# the version of Qt the program needs comes from dpkg-shlibdeps. CPack lists these first.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, qt6-qpa-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)

# --- Tests of the installed files ---
add_test(NAME install.DestdirCopyKeepsItsFilesInTheDataDirectory
    COMMAND ${CMAKE_SOURCE_DIR}/tests/install/installed_copy_test.sh
            ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR})
# The package test also gets the plugin folder of the Qt the program was built with, to
# check that the package's dependencies bring the plugins the window loads.
add_test(NAME install.DebianPackageHoldsTheExpectedFiles
    COMMAND ${CMAKE_SOURCE_DIR}/tests/install/debian_package_test.sh
            ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_PLUGINS})
set_tests_properties(install.DestdirCopyKeepsItsFilesInTheDataDirectory
                       install.DebianPackageHoldsTheExpectedFiles
                       PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
