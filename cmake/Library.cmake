# orvelune_library(NAME [FOLDERS folder...] [SOURCES file...] [EXCLUDE regex]
#                  [PUBLIC target...] [PRIVATE target...])
# One static library of the program: every .cpp of each of FOLDERS (relative
# to the calling folder; that folder itself when neither FOLDERS nor SOURCES
# is given) and the SOURCES listed, less the files whose path matches
# EXCLUDE; its headers included from src/ (#include "gfx/surface.h"); linked
# to the PUBLIC and PRIVATE targets; built with the project's warnings.
#
# With ORVELUNE_LIBRARY_UNITY (the presets CI builds: ci, mingw, asan and
# fuzz; the default preset, which people edit in, keeps one source a file)
# a library's C++ files are compiled a batch at a time as one source, which
# reads the shared headers once per batch. Generated and C
# files stay on their own, and so does a file listed in
# orvelune_library_unity_alone, whose file-local names clash with another's
# (a redefinition or an ambiguous call in a unity_*.cxx: add it there,
# relative to src/).
option(ORVELUNE_LIBRARY_UNITY "Compile the libraries' files a batch at a time" OFF)
set(orvelune_library_unity_alone
  engine/actions/act_ring_warp.cpp engine/actions/act_rod_rotation.cpp engine/actions/act_solid_rotation.cpp)

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
  if(ORVELUNE_LIBRARY_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 16)
    foreach(source ${sources})
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
      file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR}/src ${path})
      if(NOT source MATCHES "\\.cpp$" OR relative IN_LIST orvelune_library_unity_alone)
        set_source_files_properties(${source} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
      endif()
    endforeach()
  endif()
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  orvelune_warnings(${name})
endfunction()
