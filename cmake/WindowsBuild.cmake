# The build for Windows (mingw-w64, see mingw-toolchain.cmake), included by the top
# CMakeLists.txt in place of the Linux build. It builds the Win32 backend, Kestrune.exe (whole,
# linked statically: it needs no DLL beside it) and the backend's tests; and, where a Qt for
# mingw-w64 is given (CORVANTA_QT_DIR), Corvanta.exe with the portable libraries, its engine
# over the embedded engine's DLL and the tests of that engine. Every program lands in bin/, as
# on the user's PC.

add_library(corvanta_warnings INTERFACE)
target_compile_options(corvanta_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                   -Wno-missing-field-initializers)

add_subdirectory(platform)

add_subdirectory(kestrune)
set_target_properties(kestrune PROPERTIES OUTPUT_NAME Kestrune)
target_link_options(kestrune PRIVATE -static)

# Corvanta.exe needs the Qt for Windows; the 64-bit test build has none and builds without it.
if(CORVANTA_QT_DIR)
  list(APPEND CMAKE_PREFIX_PATH ${CORVANTA_QT_DIR})
  find_package(Qt5 5.15 REQUIRED COMPONENTS Core Gui Widgets Network)
  set(CMAKE_AUTOMOC ON)
  set(CMAKE_AUTORCC ON)
  include(cmake/WindowsProgramFolder.cmake)
  foreach(dir process webhost downloads pcinfo printers devices netscan sharing maintenance
              mainwindow app html)
    add_subdirectory(${dir})
  endforeach()
  # A Windows GUI program (no console of its own), named as it ships.
  set_target_properties(corvanta PROPERTIES OUTPUT_NAME Corvanta WIN32_EXECUTABLE TRUE)
endif()

set(CORVANTA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source folder")
enable_testing()
add_subdirectory(tests/win32)
