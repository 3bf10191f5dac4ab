# What Corvanta.exe needs beside it on Windows, copied into the program folder at build time:
# the Qt DLLs it links, the platform plugins (the windows one for a desktop, offscreen for runs
# without one) and the compiler's run-time DLLs that the Qt DLLs themselves link.
set(corvanta_qt_dlls Qt5Core Qt5Gui Qt5Widgets Qt5Network)
set(corvanta_qt_plugins qwindows qoffscreen)
set(corvanta_runtime_dlls libstdc++-6.dll libwinpthread-1.dll)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  list(APPEND corvanta_runtime_dlls libgcc_s_dw2-1.dll)
else()
  list(APPEND corvanta_runtime_dlls libgcc_s_seh-1.dll)
endif()

set(deployed)
foreach(dll ${corvanta_qt_dlls})
  list(APPEND deployed ${CORVANTA_QT_DIR}/bin/${dll}.dll)
endforeach()
# Where the compiler finds its run-time libraries, the DLLs lie too (gcc's own folder for
# libstdc++ and libgcc, the target's lib/ for winpthread).
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++.a
                OUTPUT_VARIABLE gcc_lib_file OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(gcc_lib_dir ${gcc_lib_file} DIRECTORY)
foreach(dll ${corvanta_runtime_dlls})
  find_file(runtime_${dll} ${dll} PATHS ${gcc_lib_dir} /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32/lib
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  if(NOT runtime_${dll})
    message(FATAL_ERROR "${dll} not found beside the compiler (${gcc_lib_dir})")
  endif()
  list(APPEND deployed ${runtime_${dll}})
endforeach()

set(copied)
foreach(source ${deployed})
  get_filename_component(name ${source} NAME)
  add_custom_command(OUTPUT ${CORVANTA_PROGRAM_DIR}/${name}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${CORVANTA_PROGRAM_DIR}/${name}
    DEPENDS ${source})
  list(APPEND copied ${CORVANTA_PROGRAM_DIR}/${name})
endforeach()
foreach(plugin ${corvanta_qt_plugins})
  set(target ${CORVANTA_PROGRAM_DIR}/platforms/${plugin}.dll)
  add_custom_command(OUTPUT ${target}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${CORVANTA_QT_DIR}/plugins/platforms/${plugin}.dll ${target}
    DEPENDS ${CORVANTA_QT_DIR}/plugins/platforms/${plugin}.dll)
  list(APPEND copied ${target})
endforeach()
add_custom_target(corvanta_windows_runtime ALL DEPENDS ${copied})
