# What `cmake --install` (and `make install`) lays out under the prefix:
#
#   bin/orvelune                           the program
#   libexec/xscreensaver/orvelune          a link to it, where xscreensaver looks for hacks
#   share/xscreensaver/config/orvelune.xml its description for xscreensaver's settings
#   share/man/man6/orvelune.6.gz           the manual page (screen savers live in section 6)
#   share/doc/orvelune/README.md           and the licence file, when there is one
#
# `make uninstall` (cmake/Uninstall.cmake) removes exactly these again.
include(GNUInstallDirs)

# Installing (and packaging, which installs into a staging folder) takes the
# program as built: `make install` and `make package` build first, and the
# package test must not start a second build of everything under the one
# running the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

install(TARGETS orvelune RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# A relative link keeps the installed tree movable (DESTDIR, packages) and
# leaves one copy of the program to update.
set(hack_dir ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
file(RELATIVE_PATH hack_link_target /prefix/${hack_dir} /prefix/${CMAKE_INSTALL_BINDIR}/orvelune)
set(hack_link ${CMAKE_BINARY_DIR}/install/xscreensaver/orvelune)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install/xscreensaver)
file(CREATE_LINK ${hack_link_target} ${hack_link} SYMBOLIC)
install(FILES ${hack_link} DESTINATION ${hack_dir})

install(FILES ${PROJECT_SOURCE_DIR}/orvelune.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/xscreensaver/config)

# The manual page carries the version and the one-line description, and is
# compressed the way Debian wants it: at the highest level, without a time
# stamp, so that two builds give the same bytes.
configure_file(${PROJECT_SOURCE_DIR}/docs/orvelune.6.in ${CMAKE_BINARY_DIR}/install/orvelune.6 @ONLY)
find_program(ORVELUNE_GZIP gzip REQUIRED)
execute_process(COMMAND ${ORVELUNE_GZIP} -9 -n -c ${CMAKE_BINARY_DIR}/install/orvelune.6
                OUTPUT_FILE ${CMAKE_BINARY_DIR}/install/orvelune.6.gz
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_BINARY_DIR}/install/orvelune.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(ORVELUNE_LICENCE_FILE "")
foreach(name LICENSE LICENSE.md LICENSE.txt COPYING)
  if(EXISTS ${PROJECT_SOURCE_DIR}/${name})
    set(ORVELUNE_LICENCE_FILE ${PROJECT_SOURCE_DIR}/${name})
    break()
  endif()
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${ORVELUNE_LICENCE_FILE}
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/orvelune)

# `cmake --build build --target uninstall` removes what an install with the
# configured prefix laid out; `make uninstall PREFIX=...` names another.
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_INSTALL_PREFIX}
          -P ${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake
  VERBATIM)
