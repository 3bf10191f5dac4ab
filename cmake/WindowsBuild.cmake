# The build for 32-bit Windows (mingw-w64, see mingw32-toolchain.cmake), included by the top
# CMakeLists.txt in place of the Linux build. It builds the Win32 backend, Kestrune.exe (whole,
# linked statically: it needs no DLL beside it), and with the Qt for mingw-w64 the backend's
# tests. Every program lands in bin/ with the DLLs it needs beside it, as on the user's PC.

add_library(corvanta_warnings INTERFACE)
target_compile_options(corvanta_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                   -Wno-missing-field-initializers)

add_subdirectory(platform)

add_subdirectory(kestrune)
set_target_properties(kestrune PROPERTIES OUTPUT_NAME Kestrune)
target_link_options(kestrune PRIVATE -static)

find_package(Qt5 5.15 COMPONENTS Core Gui Widgets Test)
if(NOT Qt5_FOUND)
  message(STATUS "No Qt for Windows (CORVANTA_QT_DIR): building the backend and Kestrune only")
  return()
endif()

# The DLLs a Qt program needs beside it: Qt's own, the compiler's runtime, the platform plugins.
function(corvanta_copy_beside_programs)
  file(COPY ${ARGN} DESTINATION ${CORVANTA_PROGRAM_DIR})
endfunction()
get_target_property(qt_core_dll Qt5::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(qt_bin ${qt_core_dll} DIRECTORY)
get_filename_component(qt_prefix ${qt_bin} DIRECTORY)
set(runtime_dlls "")
foreach(dll libstdc++-6.dll libgcc_s_dw2-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  list(APPEND runtime_dlls ${path})
endforeach()
corvanta_copy_beside_programs(${runtime_dlls} ${qt_bin}/Qt5Core.dll ${qt_bin}/Qt5Gui.dll
                              ${qt_bin}/Qt5Widgets.dll ${qt_bin}/Qt5Test.dll)
file(COPY ${qt_prefix}/plugins/platforms/qoffscreen.dll ${qt_prefix}/plugins/platforms/qwindows.dll
     DESTINATION ${CORVANTA_PROGRAM_DIR}/platforms)

set(CMAKE_AUTOMOC ON)
enable_testing()
add_subdirectory(tests/win32)
