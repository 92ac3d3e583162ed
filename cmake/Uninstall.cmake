# Removes what `cmake --install` lays out under PREFIX (below $DESTDIR when
# that is set):
#
#   cmake -DBUILD_DIR=build -DPREFIX=/usr/local -P cmake/Uninstall.cmake
#
# The list comes from installing once more into a scratch folder, not from
# install_manifest.txt: every install rewrites that file, packaging included,
# so it names whatever was installed last, wherever that went. The scratch
# install gives exactly what the install rules of this build put under this
# prefix. Folders left empty go too, except the prefix's common ones (bin,
# share/man/man6, ...), which other programs share.
cmake_minimum_required(VERSION 3.25)
if(NOT BUILD_DIR OR NOT PREFIX)
  message(FATAL_ERROR "usage: cmake -DBUILD_DIR=<build> -DPREFIX=<prefix> -P Uninstall.cmake")
endif()
if(NOT IS_ABSOLUTE "${PREFIX}")
  message(FATAL_ERROR "the prefix must be an absolute path, not \"${PREFIX}\"")
endif()
get_filename_component(build_dir "${BUILD_DIR}" ABSOLUTE)
string(REGEX REPLACE "/+$" "" prefix "${PREFIX}")
set(destdir "$ENV{DESTDIR}")
string(REGEX REPLACE "/+$" "" destdir "${destdir}")

# A scratch folder of this run's own, as two of them may run at once.
string(RANDOM LENGTH 8 run_id)
set(stage "${build_dir}/uninstall-stage-${run_id}")
file(REMOVE_RECURSE "${stage}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
          ${CMAKE_COMMAND} --install ${build_dir} --prefix ${prefix}
  RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  file(REMOVE_RECURSE "${stage}")
  message(FATAL_ERROR "cannot list the installed files (is the program built?):\n${errors}")
endif()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${stage}${prefix}" "${stage}${prefix}/*")
file(REMOVE_RECURSE "${stage}")

set(shared_dirs bin sbin lib libexec share share/man share/man/man1 share/man/man6 share/doc)
set(removed_dirs "")
foreach(file IN LISTS installed)
  set(path "${destdir}${prefix}/${file}")
  if(EXISTS "${path}" OR IS_SYMLINK "${path}")
    message(STATUS "Removing: ${path}")
    file(REMOVE "${path}")
  endif()
  # The folders above the file, up to the prefix, that are ours alone.
  get_filename_component(dir "${file}" DIRECTORY)
  while(dir AND NOT dir IN_LIST shared_dirs)
    set(full "${destdir}${prefix}/${dir}")
    if(NOT IS_DIRECTORY "${full}")
      break()
    endif()
    file(GLOB left "${full}/*" "${full}/.*")
    if(left)
      break()
    endif()
    message(STATUS "Removing: ${full}/")
    file(REMOVE_RECURSE "${full}") # empty, as just seen
    get_filename_component(dir "${dir}" DIRECTORY)
  endwhile()
endforeach()
