# 64-bit Windows, cross-built with mingw-w64: Qt, QCustomPlot and hidapi (Windows back end) come from
# the prefix that scripts/windows-deps builds (CMAKE_PREFIX_PATH). Qt SerialPort is not among them: the
# serial link uses the Win32 port of its own (links/WinSerialPort).
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)
find_package(hidapi REQUIRED)
add_library(korvex::hidapi ALIAS hidapi::hidapi)
find_library(QCUSTOMPLOT_LIBRARY NAMES QCustomPlotQt6 REQUIRED)
find_path(QCUSTOMPLOT_INCLUDE_DIR qcustomplot.h REQUIRED)

set(KORVEX_BRIDGE_LIBRARY_FILE SLABHIDtoUART.dll)
set(KORVEX_PLATFORM_LIBS)
# Suites that need Linux itself: pseudo-terminals for the serial link, the Debian package.
set(KORVEX_SKIPPED_FOLDERS ${CMAKE_SOURCE_DIR}/tests/links/serial ${CMAKE_SOURCE_DIR}/tests/shell/serial
    ${CMAKE_SOURCE_DIR}/tests/packaging)

# What the program loads, and nothing else: Qt's modules and the plugins for the Windows platform, its
# native style and its printers; QCustomPlot and hidapi; the compiler's runtime.
set(qt ${QT6_INSTALL_PREFIX})
get_filename_component(deps_bin ${QCUSTOMPLOT_LIBRARY} DIRECTORY)
get_filename_component(deps_bin ${deps_bin}/../bin ABSOLUTE)
set(KORVEX_MINGW_RUNTIME)
foreach(name libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${name} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}")
    message(FATAL_ERROR "the compiler does not know where ${name} is")
  endif()
  list(APPEND KORVEX_MINGW_RUNTIME ${path})
endforeach()
set(KORVEX_WINDOWS_RUNTIME
  ${qt}/bin/Qt6Core.dll ${qt}/bin/Qt6Gui.dll ${qt}/bin/Qt6Widgets.dll ${qt}/bin/Qt6PrintSupport.dll
  ${deps_bin}/libQCustomPlotQt6.dll ${deps_bin}/libhidapi.dll ${KORVEX_MINGW_RUNTIME})
set(KORVEX_WINDOWS_PLUGINS
  platforms/qwindows.dll styles/qwindowsvistastyle.dll)
find_file(KORVEX_SEGMENT_FONT DSEG7Classic-Regular.ttf PATHS /usr/share/fonts/truetype/dseg
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)

# Lays the runtime beside the programs in dir (the program, the demo, the tests), so they start there
# as they would installed; the tests also get Qt's test library and the offscreen platform.
#   korvex_windows_runtime(<target> <dir> [LIBRARIES <dll>...] [PLUGINS <kind/plugin.dll>...])
function(korvex_windows_runtime target dir)
  cmake_parse_arguments(R "" "" "LIBRARIES;PLUGINS" ${ARGN})
  set(commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/fonts
               COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KORVEX_WINDOWS_RUNTIME} ${R_LIBRARIES} ${dir}/
               COMMAND ${CMAKE_COMMAND} -E copy_if_different ${KORVEX_SEGMENT_FONT} ${dir}/fonts/)
  foreach(plugin ${KORVEX_WINDOWS_PLUGINS} ${R_PLUGINS})
    get_filename_component(kind ${plugin} DIRECTORY)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}/${kind}
                         COMMAND ${CMAKE_COMMAND} -E copy_if_different ${QT6_INSTALL_PREFIX}/plugins/${plugin} ${dir}/${kind}/)
  endforeach()
  add_custom_target(${target} ALL ${commands} VERBATIM)
endfunction()
