# The application bundle's Info.plist, generated from app/Info.plist.in on every platform (a Mac build
# puts it into Quillane.app; elsewhere a test checks it). The bundle identifier and the display name are
# the Homebrew edition's, read from the engine's brand constants so that they are written in one place;
# the bundle name, the executable and the version are the project's. A Mac bundle names the oldest macOS
# it was built for (CMAKE_OSX_DEPLOYMENT_TARGET, which MacDeploymentTarget.cmake settles: unset or empty,
# the project's minimum; older than it, refused), so that Finder says which macOS it needs rather than
# the loader refusing it; elsewhere the project's minimum. Sets QLAN_INFO_PLIST to the generated file.
#
# As a script, to see the Info.plist of a Mac build, with the project's name, version and minimum read
# from its CMakeLists.txt as the configure step has them:
#   cmake -DAPPLE=1 [-DCMAKE_OSX_DEPLOYMENT_TARGET=14.2] -DQLAN_INFO_PLIST=<file> -P InfoPlist.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25)
  get_filename_component(PROJECT_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} DIRECTORY)
  file(STRINGS ${PROJECT_SOURCE_DIR}/CMakeLists.txt declaration REGEX "^project\\(")
  if(NOT declaration MATCHES "^project\\(([A-Za-z0-9_]+) VERSION ([0-9.]+)")
    message(FATAL_ERROR "${PROJECT_SOURCE_DIR}/CMakeLists.txt declares no project name and version")
  endif()
  set(PROJECT_NAME ${CMAKE_MATCH_1})
  set(PROJECT_VERSION ${CMAKE_MATCH_2})
  include(${CMAKE_CURRENT_LIST_DIR}/MacDeploymentTarget.cmake)
  if(APPLE)
    qlan_deployment_target()
  endif()
endif()
set(brand_constants ${PROJECT_SOURCE_DIR}/src/engine/editions/BrandConstants.h)
if(NOT CMAKE_SCRIPT_MODE_FILE)
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${brand_constants})
endif()

# The text of `inline constexpr const char* <name> = "<text>";` in the brand constants.
function(qlan_brand_constant name out)
  file(STRINGS ${brand_constants} lines REGEX "[ \t]${name} = \"[^\"]*\";")
  if(NOT lines MATCHES "${name} = \"([^\"]+)\"")
    message(FATAL_ERROR "${brand_constants} has no text constant ${name}")
  endif()
  set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()

qlan_brand_constant(homebrewEditionIdentifier QLAN_BUNDLE_IDENTIFIER)
qlan_brand_constant(homebrewEditionDisplayName QLAN_DISPLAY_NAME)
set(QLAN_BUNDLE_MACOS_MINIMUM ${QLAN_MACOS_MINIMUM})
if(APPLE)
  set(QLAN_BUNDLE_MACOS_MINIMUM ${CMAKE_OSX_DEPLOYMENT_TARGET})
endif()
if(CMAKE_SCRIPT_MODE_FILE)
  configure_file(${PROJECT_SOURCE_DIR}/app/Info.plist.in ${QLAN_INFO_PLIST} @ONLY)
  file(READ ${QLAN_INFO_PLIST} generated)
  message("${generated}")
  return()
endif()
# Not where "<program folder>/../Info.plist" of a program of the build would find it (the bundle's place,
# where telemetry reads the version): a test program would take it for its own.
set(QLAN_INFO_PLIST ${PROJECT_BINARY_DIR}/app/Info.plist)
configure_file(${PROJECT_SOURCE_DIR}/app/Info.plist.in ${QLAN_INFO_PLIST} @ONLY)
