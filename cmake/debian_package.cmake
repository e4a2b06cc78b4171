# The Debian package, orvelle_<version>_<architecture>.deb: `cpack -G DEB` in the build folder (which
# scripts/release runs) packs whatever the project's install rules install, beside the copyright and changelog
# that Debian asks of every package. Its dependencies are read from the programs by dpkg-shlibdeps. With
# SOURCE_DATE_EPOCH set, every date in it (the changelog's, the archives' file times) is that time, so that
# the package is the same bytes wherever it is built.
include(GNUInstallDirs)
set(ORVELLE_PACKAGE_MAINTAINER "Kestrune <orvelle@kestrune.example.com>")
set(ORVELLE_PACKAGE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/orvelle)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${ORVELLE_PACKAGE_DOC_DIR})
# A native package's changelog: one entry, for this version, dated by SOURCE_DATE_EPOCH when it is set.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
execute_process(COMMAND gzip -9n INPUT_FILE ${PROJECT_BINARY_DIR}/packaging/changelog
  OUTPUT_FILE ${PROJECT_BINARY_DIR}/packaging/changelog.gz COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${ORVELLE_PACKAGE_DOC_DIR})

set(CPACK_PACKAGE_NAME orvelle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Kestrune)
set(CPACK_PACKAGE_CONTACT ${ORVELLE_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "night scene screen saver for XScreenSaver and Wayland desktops")
set(CPACK_PACKAGE_DESCRIPTION "Stars drifting over a waving sea under a breathing ring of eighteen\n\
colour-cycled, rotating figures, computed pixel by pixel: the Orvelle screen\n\
saver as an X11 program for XScreenSaver and as a Wayland program for sway\n\
and the other Wayland desktops.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# libXrandr is loaded when present, to learn the refresh rate and the monitors.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xscreensaver | swayidle, libxrandr2")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://kestrune.example.com/)
include(CPack)
