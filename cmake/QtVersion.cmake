# The Qt a build takes: 6.4 or later, and on a Mac 6.8 or later. A change the focus does not follow, such
# as a job's end, reaches a screen reader as an announcement, an event Qt has from 6.8 on; with an older
# Qt the only way is an alert event, which the Mac's Qt accessibility bridge drops before 6.8, so VoiceOver
# would hear nothing (src/ui/widgets/AccessibleRole.cpp stops a Mac build with an older Qt too).
#
# `qlan_find_qt(<for a Mac> <component>...)` finds Qt with these components, asking find_package for the
# minimum of the system built for: on a Mac 6.8, so that a Qt 6.8 or later anywhere on CMAKE_PREFIX_PATH is
# taken over an older one before it; where a Mac has none, whichever Qt it has is taken and refused by
# `qlan_check_qt_version(<version> <for a Mac>)`, which stops the configure step naming the Qt a Mac build
# needs. Also run as a script by tests, with a version (the check alone) or without (the search and the
# check, printing the Qt taken):
#   cmake [-DQLAN_QT_VERSION=<version>] -DQLAN_QT_FOR_MAC=<ON|OFF> -P cmake/QtVersion.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.25) # the policies of the project: if() reads ON and TRUE as such
endif()
set(QLAN_QT_MINIMUM 6.4)
set(QLAN_QT_MINIMUM_ON_MAC 6.8)

# A macro: Qt's variables (Qt6_VERSION, its components' folders) belong to the caller's scope.
macro(qlan_find_qt for_mac)
  if("${for_mac}")
    find_package(Qt6 ${QLAN_QT_MINIMUM_ON_MAC} QUIET COMPONENTS ${ARGN})
    if(NOT Qt6_FOUND)
      find_package(Qt6 REQUIRED COMPONENTS ${ARGN})
    endif()
  else()
    find_package(Qt6 ${QLAN_QT_MINIMUM} REQUIRED COMPONENTS ${ARGN})
  endif()
  qlan_check_qt_version(${Qt6_VERSION} "${for_mac}")
endmacro()

function(qlan_check_qt_version version for_mac)
  if(for_mac AND version VERSION_LESS QLAN_QT_MINIMUM_ON_MAC)
    message(FATAL_ERROR "Qt ${version} was found, but a Mac build needs Qt ${QLAN_QT_MINIMUM_ON_MAC} or "
      "later: only from ${QLAN_QT_MINIMUM_ON_MAC} on does VoiceOver hear what the application announces, "
      "such as a job's end. Install a newer Qt (`brew upgrade qt`, or Qt ${QLAN_QT_MINIMUM_ON_MAC} or later "
      "from the Qt installer), name it in CMAKE_PREFIX_PATH and configure afresh (`cmake --fresh`).")
  endif()
endfunction()

# Run as a script itself, not included by another script.
if(CMAKE_SCRIPT_MODE_FILE AND CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(DEFINED QLAN_QT_VERSION)
    qlan_check_qt_version("${QLAN_QT_VERSION}" "${QLAN_QT_FOR_MAC}")
  else()
    qlan_find_qt("${QLAN_QT_FOR_MAC}" Core)
    message(STATUS "Qt ${Qt6_VERSION} taken")
  endif()
endif()
