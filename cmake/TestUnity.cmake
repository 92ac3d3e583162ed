# A test program's files are compiled together, a few unity sources per
# program, when no compiler launcher is set (CI, a fresh clone): every test
# file reads the same GoogleTest, standard library and project headers and
# instantiates the same templates, and compiling the files of a folder as
# one source does that once. With ccache as the launcher each file stays its
# own source, so that editing one recompiles only that one.
if(CMAKE_CXX_COMPILER_LAUNCHER)
  set(unity_default OFF)
else()
  set(unity_default ON)
endif()
option(ORVELUNE_TEST_UNITY "Compile each test program's files together" ${unity_default})

# Files whose file-local names (helpers in an anonymous namespace, constants)
# are also used by another file of the same program, so that they cannot
# share its unity source; those in one list share one among themselves. A
# new clash shows as a redefinition or an ambiguous call in a unity_*.cxx:
# add the later file here (relative to tests/).
set(orvelune_unity_second
  actions/act_lissajous_test.cpp actions/act_pass_through_test.cpp actions/act_rod_and_ball_test.cpp
  actions/every_action_test.cpp engine/glides_test.cpp engine/saver_window_test.cpp gfx/rect_test.cpp
  render/picture_file_test.cpp render/render_test_support.cpp startup/startup_test.cpp
  wayland/wayland_saver_test.cpp win32/win32_saver_test.cpp x11/x11_picture_test.cpp)
set(orvelune_unity_third actions/act_rod_rotation_test.cpp actions/partial_redraw_test.cpp)
set(orvelune_unity_fourth actions/act_rose_curve_test.cpp)

# Every test program below DIR (TestPrograms.cmake) is built from
# unity sources: its C++ files in the group "first" unless listed above.
function(orvelune_unity_tests dir)
  if(NOT ORVELUNE_TEST_UNITY)
    return()
  endif()
  orvelune_gtest_programs(${dir} programs)
  foreach(target ${programs})
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
    get_target_property(sources ${target} SOURCES)
    get_target_property(source_dir ${target} SOURCE_DIR)
    foreach(source ${sources})
      if(NOT source MATCHES "\\.cpp$")
        continue()
      endif()
      get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
      file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR}/tests ${path})
      set(group first)
      foreach(other second third fourth)
        if(name IN_LIST orvelune_unity_${other})
          set(group ${other})
        endif()
      endforeach()
      set_source_files_properties(${source} TARGET_DIRECTORY ${target} PROPERTIES UNITY_GROUP ${group})
    endforeach()
  endforeach()
endfunction()
