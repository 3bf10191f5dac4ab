# 32-bit Windows programs built with mingw-w64 (posix thread model, as the Qt for mingw-w64 is).
# The Qt for Windows is found where CORVANTA_QT_DIR (cache or environment) points.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

if(NOT CORVANTA_QT_DIR AND DEFINED ENV{CORVANTA_QT_DIR})
  set(CORVANTA_QT_DIR $ENV{CORVANTA_QT_DIR})
endif()
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32 ${CORVANTA_QT_DIR})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
