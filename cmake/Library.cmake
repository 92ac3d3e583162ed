# orvelune_library(NAME [FOLDERS folder...] [SOURCES file...] [EXCLUDE regex]
#                  [PUBLIC target...] [PRIVATE target...])
# One static library of the program: every .cpp of each of FOLDERS (relative
# to the calling folder; that folder itself when neither FOLDERS nor SOURCES
# is given) and the SOURCES listed, less the files whose path matches
# EXCLUDE; its headers included from src/ (#include "gfx/surface.h"); linked
# to the PUBLIC and PRIVATE targets; built with the project's warnings.
function(orvelune_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "EXCLUDE" "FOLDERS;SOURCES;PUBLIC;PRIVATE")
  if(NOT arg_FOLDERS AND NOT arg_SOURCES)
    set(arg_FOLDERS .)
  endif()
  set(sources ${arg_SOURCES})
  foreach(folder ${arg_FOLDERS})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
    list(APPEND sources ${found})
  endforeach()
  if(arg_EXCLUDE)
    list(FILTER sources EXCLUDE REGEX "${arg_EXCLUDE}")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  orvelune_warnings(${name})
endfunction()
