# GoogleTest's header costs every test file about a second and a half of
# compiling before a line of its own is read; a build without a compiler
# cache (CI, a fresh clone) parses it once per test program instead, as a
# precompiled header. With a compiler launcher set (ccache) each file is
# cached whole, and ccache would not cache a file built on a precompiled
# header without sloppiness settings of its own: the header stays ordinary.
# Unity sources (cmake/TestUnity.cmake) already read it once per group of
# files, and a precompiled header would cost more than it saves there.
if(CMAKE_CXX_COMPILER_LAUNCHER OR ORVELUNE_TEST_UNITY)
  set(pch_default OFF)
else()
  set(pch_default ON)
endif()
option(ORVELUNE_TEST_PCH "Precompile GoogleTest's header for each test program" ${pch_default})

# Every test program below DIR (TestPrograms.cmake) gets its header
# precompiled.
function(orvelune_precompile_gtest dir)
  if(NOT ORVELUNE_TEST_PCH)
    return()
  endif()
  orvelune_gtest_programs(${dir} programs)
  foreach(target ${programs})
    # C++ only: a program may hold C sources too (protocol glue).
    target_precompile_headers(${target} PRIVATE "$<$<COMPILE_LANGUAGE:CXX>:<gtest/gtest.h$<ANGLE-R>>")
    # With the standard library read from the precompiled header, GCC 12
    # inlines std::string's operator+ differently and reports copies past
    # a string's end that do not happen (the same false report family as
    # the -Wrestrict one of Warnings.cmake). The tests run under
    # AddressSanitizer too, which sees real overruns.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow)
    endif()
  endforeach()
endfunction()
