# A Mac build links only where every library holds each architecture it is built for: Homebrew's hold
# the Mac's own only, Qt's installer holds Apple Silicon and Intel. `qlan_check_architectures(TARGETS
# <imported target>... | LIBRARIES <file>...)` reads each library with `lipo -archs` and stops the
# configure step naming every one that lacks an architecture of the build (CMAKE_OSX_ARCHITECTURES, or
# the Mac's own when that is empty), instead of a link that fails on it later.
#
# The bundle carries its libraries, and starts only on a macOS that each of them was built for: Homebrew's
# are built for the build Mac's own macOS, Qt's installer builds for older ones. `qlan_check_minimum_macos(
# TARGETS ... | LIBRARIES ...)` reads the lowest macOS each library's parts for the build's architectures
# were built for (`vtool -show-build`) and names each one that needs a newer macOS than the oldest the
# application runs on (CMAKE_OSX_DEPLOYMENT_TARGET): a warning, and in a release build
# (CMAKE_BUILD_TYPE Release, the bundle that ships) an error.
#
# As a script: cmake -DQLAN_ARCHITECTURES=arm64,x86_64 -DQLAN_LIBRARIES=<file>,<file> [-DQLAN_LIPO=<lipo>]
#              [-DQLAN_MACOS_MINIMUM=13.0 [-DQLAN_VTOOL=<vtool>] [-DQLAN_BUILD_TYPE=Release]]
#              -P MacArchitectures.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25) # the policies of the project: IN_LIST
endif()

# The library files an imported target links: its own, and those it passes on (a pkg-config target lists
# the libraries it found by their paths; a target it names is followed).
function(qlan_library_files out target)
  set(files "")
  set(pending ${target})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    get_target_property(type ${current} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(configurations ${current} IMPORTED_CONFIGURATIONS)
      if(NOT configurations)
        set(configurations "")
      endif()
      foreach(suffix "" ${configurations})
        if(suffix)
          string(TOUPPER "_${suffix}" suffix)
        endif()
        get_target_property(location ${current} IMPORTED_LOCATION${suffix})
        if(location)
          list(APPEND files ${location})
        endif()
      endforeach()
    endif()
    get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    if(NOT links)
      set(links "")
    endif()
    foreach(link ${links})
      if(TARGET ${link})
        list(APPEND pending ${link})
      elseif(IS_ABSOLUTE "${link}" AND EXISTS "${link}")
        list(APPEND files ${link})
      endif()
    endforeach()
  endwhile()
  # A framework named by its folder: its binary inside.
  set(binaries "")
  foreach(file ${files})
    if(file MATCHES "/([^/]+)[.]framework/?$")
      set(file "${file}/${CMAKE_MATCH_1}")
    endif()
    list(APPEND binaries ${file})
  endforeach()
  list(REMOVE_DUPLICATES binaries)
  set(${out} ${binaries} PARENT_SCOPE)
endfunction()

# The architectures of the build and the library files that the checks below read: those given, or those
# of the build and of the imported targets given.
macro(qlan_checked_libraries)
  set(architectures ${arg_ARCHITECTURES})
  if(NOT architectures)
    set(architectures ${CMAKE_OSX_ARCHITECTURES})
  endif()
  if(NOT architectures)
    set(architectures ${CMAKE_SYSTEM_PROCESSOR})
  endif()
  set(libraries ${arg_LIBRARIES})
  foreach(target ${arg_TARGETS})
    qlan_library_files(files ${target})
    list(APPEND libraries ${files})
  endforeach()
  list(REMOVE_DUPLICATES libraries)
endmacro()

# The program `name` that a check was given, or else the one of this Mac's developer tools.
function(qlan_mac_tool out given name)
  if(NOT given)
    string(TOUPPER "QLAN_${name}" variable)
    find_program(${variable} ${name} REQUIRED)
    set(given ${${variable}})
  endif()
  set(${out} ${given} PARENT_SCOPE)
endfunction()

function(qlan_check_architectures)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "LIPO" "ARCHITECTURES;TARGETS;LIBRARIES")
  qlan_checked_libraries()
  qlan_mac_tool(lipo "${arg_LIPO}" lipo)

  set(lacking "")
  foreach(library ${libraries})
    execute_process(COMMAND ${lipo} -archs ${library} OUTPUT_VARIABLE held RESULT_VARIABLE failed
                    OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(failed)
      continue() # not a binary lipo reads (a text stub of the SDK): the linker judges it
    endif()
    separate_arguments(held UNIX_COMMAND "${held}")
    set(missing "")
    foreach(architecture ${architectures})
      if(NOT architecture IN_LIST held)
        list(APPEND missing ${architecture})
      endif()
    endforeach()
    if(missing)
      list(JOIN held " " held_text)
      list(JOIN missing " and " missing_text)
      list(APPEND lacking "${library}: holds ${held_text}, not ${missing_text}")
    endif()
  endforeach()
  if(lacking)
    list(JOIN architectures " and " wanted)
    list(JOIN lacking "\n  " listed)
    message(FATAL_ERROR "The build is for ${wanted}, which these libraries do not all hold:\n  ${listed}\n"
                        "Build for this Mac's own architecture (leave QLAN_UNIVERSAL off and "
                        "CMAKE_OSX_ARCHITECTURES unset), or use libraries that hold every architecture "
                        "of the build (Qt from the Qt installer holds arm64 and x86_64; Homebrew's "
                        "libraries hold the Mac's own only).")
  endif()
endfunction()

# The lowest macOS that `library` was built for, for each of its parts: "<architecture>=<version>" items,
# with an empty architecture for a file of one part; empty when `vtool` cannot read it. vtool (as `otool
# -l`) prints "<file> (architecture <name>):" before each part of a universal file, then its load commands:
# LC_BUILD_VERSION with `platform` (MACOS, or 1 in otool's numbers) and `minos`, or the older
# LC_VERSION_MIN_MACOSX with `version`.
function(qlan_minimum_macos_of out vtool library)
  execute_process(COMMAND ${vtool} -show-build ${library} OUTPUT_VARIABLE shown RESULT_VARIABLE failed
                  ERROR_QUIET)
  set(parts "")
  if(failed)
    set(${out} "" PARENT_SCOPE)
    return()
  endif()
  string(REPLACE ";" "," shown "${shown}")
  string(REPLACE "\n" ";" lines "${shown}")
  set(architecture "")
  set(command "")
  set(platform "")
  foreach(line IN LISTS lines)
    if(line MATCHES "[(]architecture ([A-Za-z0-9_]+)[)]:$")
      set(architecture ${CMAKE_MATCH_1})
    elseif(line MATCHES "^[ \t]*cmd[ \t]+([A-Z_]+)")
      set(command ${CMAKE_MATCH_1})
      set(platform "")
    elseif(command STREQUAL "LC_BUILD_VERSION" AND line MATCHES "^[ \t]*platform[ \t]+([A-Za-z0-9_]+)")
      set(platform ${CMAKE_MATCH_1})
    elseif(command STREQUAL "LC_BUILD_VERSION" AND line MATCHES "^[ \t]*minos[ \t]+([0-9.]+)")
      if(platform STREQUAL "" OR platform STREQUAL "MACOS" OR platform STREQUAL "1")
        list(APPEND parts "${architecture}=${CMAKE_MATCH_1}")
      endif()
    elseif(command STREQUAL "LC_VERSION_MIN_MACOSX" AND line MATCHES "^[ \t]*version[ \t]+([0-9.]+)")
      list(APPEND parts "${architecture}=${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} ${parts} PARENT_SCOPE)
endfunction()

function(qlan_check_minimum_macos)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "VTOOL;MINIMUM;RELEASE" "ARCHITECTURES;TARGETS;LIBRARIES")
  qlan_checked_libraries()
  set(minimum ${arg_MINIMUM} ${CMAKE_OSX_DEPLOYMENT_TARGET})
  if(NOT minimum)
    return() # no oldest macOS named: the compiler's own default
  endif()
  list(GET minimum 0 minimum)
  set(release ${arg_RELEASE})
  if(NOT DEFINED arg_RELEASE AND CMAKE_BUILD_TYPE STREQUAL "Release")
    set(release TRUE)
  endif()
  qlan_mac_tool(vtool "${arg_VTOOL}" vtool)

  set(newer "")
  foreach(library ${libraries})
    qlan_minimum_macos_of(parts ${vtool} ${library})
    # Only the parts for an architecture of the build load (all of them where none names one).
    set(loaded "")
    foreach(part ${parts})
      string(REGEX REPLACE "=.*" "" architecture "${part}")
      if(architecture IN_LIST architectures)
        list(APPEND loaded ${part})
      endif()
    endforeach()
    if(NOT loaded)
      set(loaded ${parts})
    endif()
    set(needs "")
    foreach(part ${loaded})
      string(REGEX MATCH "^([^=]*)=(.*)$" part "${part}")
      if(CMAKE_MATCH_2 VERSION_GREATER minimum)
        if("${CMAKE_MATCH_1}" STREQUAL "")
          list(APPEND needs "macOS ${CMAKE_MATCH_2}")
        else()
          list(APPEND needs "macOS ${CMAKE_MATCH_2} (${CMAKE_MATCH_1})")
        endif()
      endif()
    endforeach()
    if(needs)
      list(REMOVE_DUPLICATES needs)
      list(JOIN needs ", " needs_text)
      list(APPEND newer "${library}: built for ${needs_text}")
    endif()
  endforeach()
  if(NOT newer)
    return()
  endif()
  list(JOIN newer "\n  " listed)
  string(CONCAT text
    "These libraries need a newer macOS than ${minimum}, the oldest the application runs on "
    "(CMAKE_OSX_DEPLOYMENT_TARGET), so the bundle would not start there:\n  ${listed}\n"
    "Use libraries built for macOS ${minimum} or older: Qt from the Qt installer, and libplist, "
    "toml++ and libcurl built with MACOSX_DEPLOYMENT_TARGET=${minimum} (Homebrew's are built for this "
    "Mac's own macOS); or, for a bundle for this Mac's macOS and later only, set "
    "CMAKE_OSX_DEPLOYMENT_TARGET to it.")
  if(release)
    message(FATAL_ERROR "${text}\n")
  endif()
  message(WARNING "${text} A release build (CMAKE_BUILD_TYPE Release) stops here.\n")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED QLAN_LIBRARIES)
  string(REPLACE "," ";" script_architectures "${QLAN_ARCHITECTURES}")
  string(REPLACE "," ";" script_libraries "${QLAN_LIBRARIES}")
  qlan_check_architectures(ARCHITECTURES ${script_architectures} LIBRARIES ${script_libraries} LIPO ${QLAN_LIPO})
  if(DEFINED QLAN_MACOS_MINIMUM)
    set(script_release FALSE)
    if(QLAN_BUILD_TYPE STREQUAL "Release")
      set(script_release TRUE)
    endif()
    qlan_check_minimum_macos(ARCHITECTURES ${script_architectures} LIBRARIES ${script_libraries}
                             MINIMUM ${QLAN_MACOS_MINIMUM} VTOOL ${QLAN_VTOOL} RELEASE ${script_release})
  endif()
endif()
