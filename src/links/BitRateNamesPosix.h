#pragma once

// The bit-rate enumerators CBR_110 ... CBR_256000 meet no macros of those names on this system (the build
// makes this header links/BitRateNames.h; on Windows it takes BitRateNamesWin.h).
