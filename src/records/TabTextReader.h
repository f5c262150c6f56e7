#pragma once

#include <QIODevice>

#include "records/TableEngine.h"

namespace korvex {

// A line longer than this cannot come from a record file; reading stops there instead of filling memory.
inline constexpr std::size_t kMaxTabTextLineBytes = 1 << 20;

// Reads 8-bit text whose lines end at CR LF, CR or LF and which ends at the end of the device or at a
// byte 0. The first line is skipped; every further line becomes a row whose TAB-separated pieces go
// into the table's fields by position (a whole number for an integer field, or nothing when the line
// has other pieces; a text otherwise).
// Returns false for a text of no lines, a read error, or at the first line that does not fit the
// fields; the rows posted before it stay.
bool ReadTabText(QIODevice& in, TTable& target);

}  // namespace korvex
