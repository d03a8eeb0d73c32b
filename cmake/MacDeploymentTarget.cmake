# The oldest macOS the application runs on, and the one a Mac build is compiled for. Included before
# project(), which fixes the compiler's flags, and by InfoPlist.cmake as a script.
#
# `qlan_deployment_target()` settles CMAKE_OSX_DEPLOYMENT_TARGET: unset or empty, it is
# QLAN_MACOS_MINIMUM, so that the compiler, the libraries' check and the Info.plist all name the same
# macOS; older than QLAN_MACOS_MINIMUM, the configure step stops, since the bundle would claim a macOS
# the application does not run on. A newer one is kept: a bundle for that macOS and later.
set(QLAN_MACOS_MINIMUM 13.0)

function(qlan_deployment_target)
  set(target "${CMAKE_OSX_DEPLOYMENT_TARGET}")
  if(target STREQUAL "")
    set(target ${QLAN_MACOS_MINIMUM})
  elseif(NOT target MATCHES "^[0-9]+(\\.[0-9]+)*$" OR target VERSION_LESS QLAN_MACOS_MINIMUM)
    message(FATAL_ERROR "CMAKE_OSX_DEPLOYMENT_TARGET is ${target}, but the application needs macOS "
      "${QLAN_MACOS_MINIMUM} or later: give ${QLAN_MACOS_MINIMUM} or a newer macOS, or leave it unset "
      "for ${QLAN_MACOS_MINIMUM}.")
  endif()
  if(NOT CMAKE_SCRIPT_MODE_FILE)
    set(CMAKE_OSX_DEPLOYMENT_TARGET ${target} CACHE STRING "Oldest macOS the application runs on" FORCE)
  endif()
  set(CMAKE_OSX_DEPLOYMENT_TARGET ${target} PARENT_SCOPE)
endfunction()
