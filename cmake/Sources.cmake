# Source sets by naming rule, so that a new file needs no edit here:
#   <folder>/*.cpp          portable core (no <windows.h>)
#   <folder>/*_win.cpp      Windows-only code of that subsystem
#   tests/**/*_test.cpp     native tests of the core
#   tests/**/*_wintest.cpp  Windows tests, run under Wine
set(VELQO_FOLDERS common records data analysis sheets net chart window shell)

set(VELQO_CORE_SOURCES)
set(VELQO_WIN_SOURCES)
foreach(dir ${VELQO_FOLDERS})
  file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  foreach(f ${found})
    if(f MATCHES "_win\\.cpp$")
      list(APPEND VELQO_WIN_SOURCES ${f})
    else()
      list(APPEND VELQO_CORE_SOURCES ${f})
    endif()
  endforeach()
endforeach()
list(FILTER VELQO_WIN_SOURCES EXCLUDE REGEX "/shell/winmain_win\\.cpp$")

file(GLOB_RECURSE VELQO_TEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_test.cpp)
file(GLOB_RECURSE VELQO_WINTEST_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_wintest.cpp)
file(GLOB VELQO_TEST_SUPPORT CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
