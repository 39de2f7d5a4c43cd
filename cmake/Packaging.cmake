# The Debian package: `cpack -G DEB` in a Release build folder (scripts/package.sh) writes
# veltrane_<version>_amd64.deb with what cmake/Install.cmake installs.
set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "Veltrane developers")
set(CPACK_PACKAGE_VERSION 1.26.0)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Export the objects of a directory as delimited text")
set(CPACK_PACKAGE_DESCRIPTION
    "Veltrane lists the objects of one class under a context of a directory tree, keeps\n\
those that meet conditions on their properties, and writes one delimited text line per\n\
object, for spreadsheets and the directory's bulk-import tool. It has a wizard window\n\
(veltrane) and a command-line tool for scripted exports (veltrane-cli).")
set(CPACK_PACKAGE_CONTACT "Veltrane developers <dev@veltrane.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Veltrane developers <dev@veltrane.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps (Debian dpkg-dev) declares the libraries the executables link against
# (libqt6widgets6, libqt6printsupport6, ...).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform plugin the window opens on comes with libqt6gui6 itself.

# The package is made from a Release build without sanitizers only: cpack stops otherwise.
set(VELTRANE_PACKAGE_BUILD_TYPE "${CMAKE_BUILD_TYPE}")
set(VELTRANE_PACKAGE_SANITIZE "${VELTRANE_SANITIZE}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/CPackProjectConfig.cmake.in
               ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_BINARY_DIR}/CPackProjectConfig.cmake)

include(CPack)
