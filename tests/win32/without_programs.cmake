# test_win32 in a build without the Windows programs (the test sets
# ORVELUNE_WIN32_DIR to a folder that has none) fails, naming the first one
# missing, and ends as a failure does: not through a signal, and not as a
# skip. (Not through `cmake -E env`, which reports a signal as status 1.)
execute_process(
  COMMAND ${PROGRAM}
  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status STREQUAL "1")
  message(FATAL_ERROR "expected the suite to fail (status 1), got: ${status}\n${output}")
endif()
if(NOT output MATCHES "expected [^\n]*/Orvelune\\.scr from the cross build")
  message(FATAL_ERROR "expected the missing Orvelune.scr named:\n${output}")
endif()
