# Every target of ours gets the same warnings; CI turns them into errors.
function(orvelune_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(ORVELUNE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
