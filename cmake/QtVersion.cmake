# The Qt a build takes: 6.4 or later, and on a Mac 6.8 or later. A change the focus does not follow, such
# as a job's end, reaches a screen reader as an announcement, an event Qt has from 6.8 on; with an older
# Qt the only way is an alert event, which the Mac's Qt accessibility bridge drops before 6.8, so VoiceOver
# would hear nothing (src/ui/widgets/AccessibleRole.cpp stops a Mac build with an older Qt too).
#
# `qlan_check_qt_version(<version> <for a Mac>)`, called once Qt is found, stops the configure step when a
# Mac build found an older Qt, naming the one it needs. Also run as a script by a test:
#   cmake -DQLAN_QT_VERSION=<version> -DQLAN_QT_FOR_MAC=<ON|OFF> -P cmake/QtVersion.cmake
set(QLAN_QT_MINIMUM 6.4)
set(QLAN_QT_MINIMUM_ON_MAC 6.8)

function(qlan_check_qt_version version for_mac)
  if(for_mac AND version VERSION_LESS QLAN_QT_MINIMUM_ON_MAC)
    message(FATAL_ERROR "Qt ${version} was found, but a Mac build needs Qt ${QLAN_QT_MINIMUM_ON_MAC} or "
      "later: only from ${QLAN_QT_MINIMUM_ON_MAC} on does VoiceOver hear what the application announces, "
      "such as a job's end. Install a newer Qt (`brew upgrade qt`, or Qt ${QLAN_QT_MINIMUM_ON_MAC} or later "
      "from the Qt installer), name it in CMAKE_PREFIX_PATH and configure afresh (`cmake --fresh`).")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  qlan_check_qt_version("${QLAN_QT_VERSION}" "${QLAN_QT_FOR_MAC}")
endif()
