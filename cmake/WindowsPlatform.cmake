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
# A window program: no console of its own (the logger and the listing attach to their caller's).
set(KORVEX_WIN32_EXECUTABLE ON)
