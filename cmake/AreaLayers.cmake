# The areas of a source tree are layers: a file includes headers of its own area and of the areas listed
# before it, never of one listed after it, so that no two areas reach each other, directly or through
# others. `qlan_check_layers(<root> <include prefix> <area>...)` lists the areas of <root> from the bottom
# up and stops the configure step at the first include that runs upward, at an area missing from the list,
# and, for the engine (empty prefix), at any include of a widget header ("ui/...").
# At the configure step it also records the tree and its list, so that tests/CMakeLists.txt runs the same
# check again as a test (AreaLayers.<folder>Tree, this file as a script): an include added later fails
# `ctest` even in a build that is not configured afresh.
function(qlan_check_layers root prefix)
  set(layers ${ARGN})
  get_filename_component(root "${root}" ABSOLUTE)
  if(NOT CMAKE_SCRIPT_MODE_FILE)
    string(REPLACE ";" "," listed "${layers}")
    set_property(GLOBAL APPEND PROPERTY QLAN_LAYER_TREES "${root}|${prefix}|${listed}")
  endif()
  file(GLOB folders LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(folder ${folders})
    list(FIND layers ${folder} listed)
    if(IS_DIRECTORY ${root}/${folder} AND listed EQUAL -1)
      message(FATAL_ERROR "${root}/${folder} is not in the list of layers: add it where it stands")
    endif()
  endforeach()
  list(LENGTH layers count)
  math(EXPR last "${count} - 1")
  foreach(rank RANGE ${last})
    list(GET layers ${rank} area)
    file(GLOB_RECURSE sources ${root}/${area}/*.cpp ${root}/${area}/*.h ${root}/${area}/*.mm)
    foreach(source ${sources})
      file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
      foreach(line ${includes})
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]*)\".*$" "\\1" header "${line}")
        if(prefix STREQUAL "" AND header MATCHES "^ui/")
          message(FATAL_ERROR "${source} includes a widget header: ${header}")
        endif()
        if(NOT header MATCHES "^${prefix}([A-Za-z_]+)/")
          continue()
        endif()
        set(included ${CMAKE_MATCH_1})
        list(FIND layers ${included} included_rank)
        if(included_rank GREATER rank)
          message(FATAL_ERROR "${source} includes ${header}: ${area} stands below ${included}, "
                              "so it may include only the areas under it (${layers})")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()

# As a script: cmake -DQLAN_LAYERS_ROOT=<root> -DQLAN_LAYERS_PREFIX=<prefix> -DQLAN_LAYERS=a,b,c -P AreaLayers.cmake
if(CMAKE_SCRIPT_MODE_FILE AND DEFINED QLAN_LAYERS_ROOT)
  string(REPLACE "," ";" script_layers "${QLAN_LAYERS}")
  qlan_check_layers(${QLAN_LAYERS_ROOT} "${QLAN_LAYERS_PREFIX}" ${script_layers})
endif()
