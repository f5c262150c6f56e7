#pragma once

// The bit-rate enumerators are named CBR_110 ... CBR_256000, which Windows' own headers define as macros.
// This takes those headers in first and then undefines the macros, so the enumerators keep their names
// whatever order a file includes things in (the headers are not read a second time). The Windows build
// makes this header links/BitRateNames.h.
#include <qt_windows.h>
#undef CBR_110
#undef CBR_300
#undef CBR_600
#undef CBR_1200
#undef CBR_2400
#undef CBR_4800
#undef CBR_9600
#undef CBR_14400
#undef CBR_19200
#undef CBR_38400
#undef CBR_56000
#undef CBR_57600
#undef CBR_115200
#undef CBR_128000
#undef CBR_256000
