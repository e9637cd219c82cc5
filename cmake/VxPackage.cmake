# Installation and the Debian package.
#
# `cmake --install` puts the programs, the shipped configuration, the per-user
# settings' defaults and the documents into one folder below the prefix
# (VX_INSTALL_APPDIR: bin/, cfg/, usercfg/, doc/, README.md), because the
# programs address everything relative to their working folder; the launcher
# `vantorix` (prefix/bin) gives each user a working tree of their own that
# refers to it (see packaging/vantorix.in). A desktop entry and an icon go to
# the usual places. `cpack` (or scripts/package.sh) builds the .deb.
set(VX_INSTALL_APPDIR "lib/vantorix" CACHE STRING
    "Folder below the installation prefix for the programs, cfg/, usercfg/ and doc/")

install(TARGETS vxMain vxStop qkhelpwin anaemu RUNTIME DESTINATION ${VX_INSTALL_APPDIR}/bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/cfg/ DESTINATION ${VX_INSTALL_APPDIR}/cfg)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/usercfg/ DESTINATION ${VX_INSTALL_APPDIR}/usercfg)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/doc/ DESTINATION ${VX_INSTALL_APPDIR}/doc)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${VX_INSTALL_APPDIR})

configure_file(${PROJECT_SOURCE_DIR}/packaging/vantorix.in ${CMAKE_BINARY_DIR}/packaging/vantorix @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/vantorix DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantorix.desktop DESTINATION share/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/vantorix.svg DESTINATION share/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantorix)
set(CPACK_PACKAGE_VENDOR "Vantorix")
set(CPACK_PACKAGE_CONTACT "Vantorix developers <developers@vantorix.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Service tool for spectroscopic gas analyzers")
set(CPACK_PACKAGE_DESCRIPTION
    "Connects to one analyzer over a serial line or TCP, identifies it, streams and captures its records, reads its diagnostics, parameters and front panel, and acquires, plots and saves its spectra. Includes the help launcher, the stop tool and an analyzer emulator for training.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beside the libraries the programs link: the X11 (xcb) and Wayland platform
# plugins of Qt, the font the windows are drawn with, the desktop's opener of
# documents.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-wayland, fonts-dejavu-core, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
