# The build for Windows (mingw-w64, see mingw-toolchain.cmake), included by the top
# CMakeLists.txt in place of the Linux build. It builds the Win32 backend, Kestrune.exe (whole,
# linked statically: it needs no DLL beside it) and the backend's tests. Every program lands in
# bin/, as on the user's PC.

add_library(corvanta_warnings INTERFACE)
target_compile_options(corvanta_warnings INTERFACE -Wall -Wextra -Wpedantic
                                                   -Wno-missing-field-initializers)

add_subdirectory(platform)

add_subdirectory(kestrune)
set_target_properties(kestrune PROPERTIES OUTPUT_NAME Kestrune)
target_link_options(kestrune PRIVATE -static)

set(CORVANTA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source folder")
enable_testing()
add_subdirectory(tests/win32)
