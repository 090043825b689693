# Installing Tavrel as a desktop program, and its Debian package.
#
#   cmake --install build --prefix /usr/local    # or: cd build && cpack -G DEB
#
# Everything a desktop needs to list, start and describe the program goes to
# the freedesktop places under the prefix; the Debian package is made from the
# same install rules.

include(GNUInstallDirs)

# The desktop id: names the menu entry, the AppStream component and the icon,
# and tells a Wayland compositor which entry a window belongs to (main.cpp
# passes the same id to setDesktopFileName).
set(TAVREL_APP_ID io.github.tavrel.Tavrel)
# No licence has been chosen for Tavrel yet, so nothing is granted.
set(TAVREL_PROJECT_LICENSE "LicenseRef-proprietary" CACHE STRING
  "SPDX expression of Tavrel's licence, for the AppStream metadata")
set(TAVREL_WEB_FILES "https://raw.githubusercontent.com/tavrel/tavrel/main" CACHE STRING
  "Web address under which the repository's files (docs/screenshot-main.png) can be fetched")

set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${PROJECT_BINARY_DIR}/packaging)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${CMAKE_INSTALL_DATADIR}/tavrel/examples
  FILES_MATCHING PATTERN "*.wav")

install(FILES ${pkg}/${TAVREL_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

configure_file(${pkg}/${TAVREL_APP_ID}.metainfo.xml.in ${gen}/${TAVREL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${gen}/${TAVREL_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

install(FILES ${pkg}/icons/tavrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${TAVREL_APP_ID}.svg)
foreach(px 16 22 24 32 48 64 128 256)
  install(FILES ${pkg}/icons/tavrel-${px}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${px}x${px}/apps RENAME ${TAVREL_APP_ID}.png)
endforeach()

# The manual page, compressed as Debian policy wants it (-n: no name or time
# stamp inside, so that the same page gives the same bytes).
configure_file(${pkg}/tavrel.1.in ${gen}/tavrel.1 @ONLY)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
add_custom_command(OUTPUT ${gen}/tavrel.1.gz
  COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${gen}/tavrel.1 > ${gen}/tavrel.1.gz
  DEPENDS ${gen}/tavrel.1 VERBATIM)
install(FILES ${gen}/tavrel.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Debian wants a copyright statement and a changelog beside every package.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
  "Tavrel maintainers <maintainers@users.noreply.c-seed-db42853c.example>" CACHE STRING
  "Maintainer field of the Debian package")
configure_file(${pkg}/changelog.in ${gen}/changelog @ONLY)
add_custom_command(OUTPUT ${gen}/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9 -n -c ${gen}/changelog > ${gen}/changelog.gz
  DEPENDS ${gen}/changelog VERBATIM)
install(FILES ${pkg}/copyright ${gen}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tavrel)

# Built with the program, so that installing after `--target tavrel` finds them.
add_custom_target(tavrel_docs ALL DEPENDS ${gen}/tavrel.1.gz ${gen}/changelog.gz)
add_dependencies(tavrel tavrel_docs)

# --- Debian package (cpack -G DEB) -------------------------------------------
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tavrel developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "look inside a recorded sound: its wave, one period and its harmonics")
set(CPACK_PACKAGE_DESCRIPTION
  "Tavrel is a teaching tool for a physics or music class. A student loads a
recording (WAV, FLAC, MP3, Ogg, M4A and more), sees the whole wave, clicks it to magnify a region at one
sample per pixel, marks one period with two clicks and reads its length and
fundamental frequency, then draws the harmonics of that period as a bar
chart. The program also plays and prints what it shows, and comes with
short example recordings. Every text it shows is Japanese.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binary links come from dpkg-shlibdeps. What it loads by
# other means must be named here: the Japanese font the windows are laid out
# for. Sound goes through libpulse (found by shlibdeps), so it needs a
# PulseAudio-speaking server on the machine (PulseAudio, or PipeWire's
# pipewire-pulse); a desktop has one, a server may not, hence Recommends. Qt's xcb
# platform plugin is part of libqt6gui6; the Wayland one is qt6-wayland.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pipewire-pulse | pulseaudio, qt6-wayland")
include(CPack)
