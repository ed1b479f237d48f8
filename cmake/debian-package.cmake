# `make package`: a Debian package of the installed files (the two programs,
# their man pages, the desktop entry, icon and AppStream metadata), named
# veltraed_<version>_<arch>.deb. Its dependencies come from the shared
# libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veltraed)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The VeltraEd developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for Veltra shader script files with a live preview")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "VeltraEd reads Veltra shader script files into a library, edits every\n"
    "script, stage and animation frame, shows the selected script live in an\n"
    "OpenGL preview and writes the library back in one tidy layout.\n"
    "\n"
    "The package also holds veltra, which checks, formats and draws script\n"
    "files on the command line without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The VeltraEd developers")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: Qt's window-system
# plugins (xcb, wayland), without which the editor opens no window.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")

include(CPack)
