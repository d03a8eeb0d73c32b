# A stack of pages switches through the focus rules (showPage in src/ui/widgets/KeyboardFocus.cpp), which take
# a focus inside the page that goes off it first, where Qt would hand it straight to the first control of the
# page that comes. So no other file below the folders switches one directly: a call of setCurrentWidget or
# setCurrentIndex with one argument (a stack's, a layout's or a tab widget's) stops the check, naming file,
# line and call. A selection model's setCurrentIndex takes two and is not one. Comments are left out.
#
# As a script (ctest: PageSwitches.tree): cmake -DQLAN_PAGE_SWITCH_SOURCES=<folder>,<folder> -P PageSwitches.cmake
cmake_minimum_required(VERSION 3.25)

set(QLAN_PAGE_SWITCH_HOME "src/ui/widgets/KeyboardFocus.cpp")

function(qlan_check_page_switches)
  set(found "")
  foreach(folder ${ARGN})
    file(GLOB_RECURSE sources ${folder}/*.cpp ${folder}/*.h ${folder}/*.mm)
    foreach(source ${sources})
      if(source MATCHES "${QLAN_PAGE_SWITCH_HOME}$")
        continue()
      endif()
      file(READ ${source} text)
      # Comments go; a block comment leaves its line breaks, so that line numbers still count from the top.
      while(text MATCHES "/[*]([^*]|[*]+[^*/])*[*]+/")
        set(comment "${CMAKE_MATCH_0}")
        string(REGEX REPLACE "[^\n]" "" breaks "${comment}")
        string(REPLACE "${comment}" "${breaks}" text "${text}")
      endwhile()
      string(REGEX REPLACE "//[^\n]*" "" text "${text}")
      # One argument: no comma outside a pair of parentheses (one level deep) inside the call.
      set(call "setCurrent(Widget|Index)[ \t\n]*[(]([^(),]|[(][^()]*[)])*[)]")
      set(rest "${text}")
      set(line 1)
      while(rest MATCHES "${call}")
        set(match "${CMAKE_MATCH_0}")
        string(FIND "${rest}" "${match}" at)
        string(SUBSTRING "${rest}" 0 ${at} before)
        string(REGEX REPLACE "[^\n]" "" breaks "${before}")
        string(LENGTH "${breaks}" count)
        math(EXPR line "${line} + ${count}")
        string(REGEX REPLACE "[ \t\n]+" " " shown "${match}")
        list(APPEND found "${source}:${line}: ${shown}")
        string(LENGTH "${match}" length)
        math(EXPR after "${at} + ${length}")
        string(SUBSTRING "${rest}" ${after} -1 rest)
        string(REGEX REPLACE "[^\n]" "" breaks "${match}")
        string(LENGTH "${breaks}" count)
        math(EXPR line "${line} + ${count}")
      endwhile()
    endforeach()
  endforeach()
  if(found)
    list(LENGTH found count)
    list(JOIN found "\n" listed)
    message(FATAL_ERROR "A stack of pages switches only through showPage (${count}):\n${listed}")
  endif()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED QLAN_PAGE_SWITCH_SOURCES)
  string(REPLACE "," ";" folders "${QLAN_PAGE_SWITCH_SOURCES}")
  qlan_check_page_switches(${folders})
endif()
