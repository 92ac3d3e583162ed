# Makes Orvelune-<version>-win32.zip for Windows users: the screen saver, a
# short readme in English and in Japanese, and the licence, nothing else. The settings file
# is left out on purpose: the program creates it beside the .scr on the
# first save, and a shipped one would overwrite a user's settings when they
# unpack a newer version over an older one.
#
#   cmake -DSCR=build/win32/Orvelune.scr -DVERSION=3.1.0 -DREADME_DIR=docs/windows
#         -DLICENCE=LICENSE -DOUT_DIR=build/packages [-DOPTIONAL=ON] -P cmake/WindowsZip.cmake
#
# With OPTIONAL, a missing program is reported as a skipped step rather than
# a failure, so that `make package` works before the Windows build does.
cmake_minimum_required(VERSION 3.25)
foreach(var SCR VERSION README_DIR LICENCE OUT_DIR)
  if(NOT ${var})
    message(FATAL_ERROR "WindowsZip.cmake needs -D${var}=...")
  endif()
endforeach()

set(zip_name "Orvelune-${VERSION}-win32.zip")
if(NOT EXISTS "${SCR}" OR IS_DIRECTORY "${SCR}")
  if(OPTIONAL)
    message(STATUS "${zip_name} skipped: there is no Windows program at ${SCR}")
    return()
  endif()
  message(FATAL_ERROR "there is no Windows program at ${SCR}")
endif()

get_filename_component(out_dir "${OUT_DIR}" ABSOLUTE)
set(stage "${out_dir}/win32-zip-stage")
file(REMOVE_RECURSE "${stage}")
file(MAKE_DIRECTORY "${stage}")

# The name Windows lists the saver by comes from the file name, so the zip
# holds it as Orvelune.scr whatever the file given was called.
file(COPY_FILE "${SCR}" "${stage}/Orvelune.scr")

# Notepad on every Windows version reads CRLF lines; the Japanese text goes
# in code page 932, which Japanese Windows reads without a byte-order mark
# (the settings file uses the same code page).
set(PROJECT_VERSION "${VERSION}")
configure_file("${README_DIR}/readme-en.txt" "${stage}/readme-en.txt" @ONLY NEWLINE_STYLE CRLF)
configure_file("${README_DIR}/readme-ja.txt" "${stage}/readme-ja.utf8" @ONLY NEWLINE_STYLE CRLF)
find_program(ICONV iconv REQUIRED)
execute_process(COMMAND ${ICONV} -f UTF-8 -t CP932 INPUT_FILE "${stage}/readme-ja.utf8"
                OUTPUT_FILE "${stage}/readme-ja.txt" RESULT_VARIABLE result ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  file(REMOVE_RECURSE "${stage}")
  message(FATAL_ERROR "readme-ja.txt has text that code page 932 cannot hold: ${errors}")
endif()
file(REMOVE "${stage}/readme-ja.utf8")
# The licence as LICENSE.txt, which Windows opens in Notepad.
file(READ "${LICENCE}" licence)
file(CONFIGURE OUTPUT "${stage}/LICENSE.txt" CONTENT "${licence}" @ONLY NEWLINE_STYLE CRLF)

# Every entry carries the program's time, so the readmes date from the
# build they came with rather than from the moment of packing.
file(TIMESTAMP "${SCR}" mtime "%Y-%m-%d %H:%M:%S" UTC)
file(REMOVE "${out_dir}/${zip_name}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${out_dir}/${zip_name}" --format=zip "--mtime=${mtime} UTC"
          Orvelune.scr readme-en.txt readme-ja.txt LICENSE.txt
  WORKING_DIRECTORY "${stage}" RESULT_VARIABLE result)
file(REMOVE_RECURSE "${stage}")
if(NOT result EQUAL 0)
  message(FATAL_ERROR "could not write ${out_dir}/${zip_name}")
endif()
message(STATUS "${out_dir}/${zip_name}")
