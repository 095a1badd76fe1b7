# A Debian package of exactly what `cmake --install` puts in place:
# `cpack -G DEB` in the build folder makes it.

set(CPACK_PACKAGE_NAME tarnwick-setup)
set(CPACK_PACKAGE_VENDOR Tarnwick)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Set up and maintain the Tarnwick Server on this computer")
set(CPACK_PACKAGE_DESCRIPTION
    "A desktop application with which an administrator sets up the Tarnwick Server
installed on the same computer: making it reachable on the local network,
inviting people and revoking their access, backing up and restoring its data.
Each form runs the server's management tool with administrator rights through
polkit and shows what it printed.")
set(TARNWICK_PACKAGE_MAINTAINER "Tarnwick Setup developers <setup@tarnwick.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_PACKAGE_CONTACT "${TARNWICK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TARNWICK_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries (Qt, simdjson, the C and C++ runtimes) come from
# dpkg-shlibdeps; pkexec is run, not linked. Qt loads its Wayland platform
# plugin, its SVG plugin (for the window icon) and its own translations at
# run time: without them the app runs on X11 or XWayland, with the toolkit's
# generic icon, in English.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS pkexec)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6svg6, qt6-wayland, qt6-translations-l10n")
# Debian ships stripped programs; the symbols belong in a separate package.
set(CPACK_STRIP_FILES ON)
# The app and the polkit action name the launcher by its path under the
# configured prefix, so the package must install under that same prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX "${CMAKE_INSTALL_PREFIX}")
set(CPACK_GENERATOR DEB)

include(CPack)
