# `make package`: the Debian package, built by CPack from the install rules
# (cmake/Install.cmake) with /usr as the prefix, and the Windows zip
# (cmake/WindowsZip.cmake) when the Windows program has been built. Both land
# in build/packages/.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvelune)
set(CPACK_PACKAGE_VENDOR "The Orvelune developers")
set(ORVELUNE_PACKAGE_MAINTAINER "The Orvelune developers <developers@orvelune.example>"
    CACHE STRING "The package's maintainer, as Name <address>")
set(CPACK_PACKAGE_CONTACT "${ORVELUNE_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION
"Eleven shaded balls, ten small ones around a large centre ball, perform
twenty geometric choreographies: flights to the screen edges, rotating rods,
Lissajous, cycloid, rose and spiral curves, rolling and solid rotation,
warping rings and ellipse rosettes, each ending in a short mirrored closing
figure, over a grid of shaded balls, a single colour, the screen as it was
or a picture.

It runs full screen on X11 and as an xscreensaver hack. Its settings dialog,
in Japanese, chooses the actions and their order, the speed, the ball
colours and the background.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are those of the shared libraries the program links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The dialog's text is set in IPA Gothic; without it the fallback face may
# lack the Japanese glyphs. GTK's message boxes take their icons from the
# icon theme, and show none without one. xscreensaver runs the saver as a
# hack and provides the helper that captures the screen for that background.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic, adwaita-icon-theme")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants two files in the package's documentation folder that a plain
# install has no use for: the changelog, whose newest entry names the
# package's version, and the copyright file, which is the licence in
# Debian's machine-readable form (and takes the place of the licence file
# there). They are added to CPack's staging tree after the install rules ran.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${CMAKE_BINARY_DIR}/install/changelog
"orvelune (${PROJECT_VERSION}) unstable; urgency=medium

  * Release ${PROJECT_VERSION}.

 -- ${CPACK_PACKAGE_CONTACT}  ${changelog_date}
")
execute_process(COMMAND ${ORVELUNE_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/install/changelog
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/install/changelog.gz
                COMMAND_ERROR_IS_FATAL ANY)
set(CPACK_ORVELUNE_DEBIAN_DOC_DIR /usr/${CMAKE_INSTALL_DATAROOTDIR}/doc/orvelune)
set(CPACK_ORVELUNE_CHANGELOG ${CMAKE_BINARY_DIR}/install/changelog.gz)
set(CPACK_ORVELUNE_LICENCE "${ORVELUNE_LICENCE_FILE}")
set(CPACK_ORVELUNE_COPYRIGHT "")
if(ORVELUNE_LICENCE_FILE)
  # The licence file is the MIT licence: its copyright line, then the terms.
  # Debian names that licence Expat; the terms follow the field indented by
  # one blank, with " ." for each empty line.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ORVELUNE_LICENCE_FILE})
  file(READ ${ORVELUNE_LICENCE_FILE} licence)
  if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*)$")
    message(FATAL_ERROR "${ORVELUNE_LICENCE_FILE}: expected a copyright line followed by the terms")
  endif()
  set(holders "${CMAKE_MATCH_1}")
  string(STRIP "${CMAKE_MATCH_2}" terms)
  string(REGEX REPLACE "\n\n" "\n.\n" terms "${terms}")
  string(REGEX REPLACE "\n" "\n " terms "${terms}")
  set(CPACK_ORVELUNE_COPYRIGHT ${CMAKE_BINARY_DIR}/install/copyright)
  file(WRITE ${CPACK_ORVELUNE_COPYRIGHT}
"Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Orvelune
Upstream-Contact: ${CPACK_PACKAGE_CONTACT}

Files: *
Copyright: ${holders}
License: Expat
 ${terms}
")
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDocs.cmake)

include(CPack)

# The Windows zip; the program comes from the MinGW build.
set(ORVELUNE_WIN32_SCR ${PROJECT_SOURCE_DIR}/build/win32/Orvelune.scr
    CACHE FILEPATH "The Windows screen saver that `make package` puts in the zip")
add_custom_target(package_win32
  COMMAND ${CMAKE_COMMAND} -DSCR=${ORVELUNE_WIN32_SCR} -DVERSION=${PROJECT_VERSION}
          -DREADME_DIR=${PROJECT_SOURCE_DIR}/docs/windows -DLICENCE=${PROJECT_SOURCE_DIR}/LICENSE
          -DOUT_DIR=${CPACK_PACKAGE_DIRECTORY}
          -DOPTIONAL=ON -P ${PROJECT_SOURCE_DIR}/cmake/WindowsZip.cmake
  VERBATIM)
