# Linux: Debian's packages of Qt, QCustomPlot, hidapi (hidraw back end) and libudev.
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport SerialPort)
find_package(PkgConfig REQUIRED)
pkg_check_modules(HIDAPI REQUIRED IMPORTED_TARGET hidapi-hidraw)
pkg_check_modules(UDEV REQUIRED IMPORTED_TARGET libudev)
add_library(korvex::hidapi ALIAS PkgConfig::HIDAPI)
find_library(QCUSTOMPLOT_LIBRARY NAMES QCustomPlotQt6 REQUIRED)
find_path(QCUSTOMPLOT_INCLUDE_DIR qcustomplot.h REQUIRED)

# The bridge library's file beside the program, and what the window's links need of the system.
set(KORVEX_BRIDGE_LIBRARY_FILE libslabhidtouart.so)
set(KORVEX_PLATFORM_LIBS Qt6::SerialPort PkgConfig::UDEV ${CMAKE_DL_LIBS})
