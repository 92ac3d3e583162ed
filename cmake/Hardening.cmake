# The hardening Debian builds its own packages with: the checked variants of
# the C library's string and memory functions in optimised builds (a buffer
# overrun ends the program instead of running on), and a relocation table
# resolved at start and then made read-only. The Windows build has neither.
if(NOT WIN32)
  set(optimised "$<NOT:$<CONFIG:Debug>>")
  # A compiler that sets its own level gets ours instead of a redefinition.
  add_compile_options("$<${optimised}:-U_FORTIFY_SOURCE>" "$<${optimised}:-D_FORTIFY_SOURCE=2>")
  add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
