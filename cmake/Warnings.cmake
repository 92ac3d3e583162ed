# Every target of ours gets the same warnings; CI turns them into errors.
function(orvelune_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # GCC 12 reports -Wrestrict falsely inside libstdc++'s std::string when
  # inlined at -O2 (GCC bug 105329), notably in the 32-bit cross build.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  if(ORVELUNE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
