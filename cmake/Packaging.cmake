# `make package`: the Debian package, built by CPack from the install rules
# (cmake/Install.cmake) with /usr as the prefix, and the Windows zip
# (cmake/WindowsZip.cmake) when the Windows program has been built. Both land
# in build/packages/.
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvelune)
set(CPACK_PACKAGE_VENDOR "Orvelune maintainers")
set(CPACK_PACKAGE_CONTACT
    "Orvelune maintainers <maintainers@users.noreply.c-seed-198c18b6.example>"
    CACHE STRING "The package's maintainer, as Name <address>")
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
# lack the Japanese glyphs. xscreensaver runs the saver as a hack and
# provides the helper that captures the screen for that background.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-ipafont-gothic)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

# Debian wants two files in the package's documentation folder that a plain
# install has no use for: the changelog, whose newest entry names the
# package's version, and the copyright file, which is the licence. They are
# added to CPack's staging tree after the install rules ran.
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
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/DebianDocs.cmake)

include(CPack)

# The Windows zip; the program comes from the MinGW build.
set(ORVELUNE_WIN32_SCR ${PROJECT_SOURCE_DIR}/build/win32/Orvelune.scr
    CACHE FILEPATH "The Windows screen saver that `make package` puts in the zip")
add_custom_target(package_win32
  COMMAND ${CMAKE_COMMAND} -DSCR=${ORVELUNE_WIN32_SCR} -DVERSION=${PROJECT_VERSION}
          -DREADME_DIR=${PROJECT_SOURCE_DIR}/docs/windows -DOUT_DIR=${CPACK_PACKAGE_DIRECTORY}
          -DOPTIONAL=ON -P ${PROJECT_SOURCE_DIR}/cmake/WindowsZip.cmake
  VERBATIM)
