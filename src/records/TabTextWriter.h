#pragma once

#include <QIODevice>
#include <string>
#include <vector>

#include "records/TableEngine.h"

namespace korvex {

// Writes the header titles separated by TABs, then one line per row: aNO and the eight texts aTime .. aFreq
// (found by name, without regard to case) with the bytes of code 32 or below cut from both ends and a
// TAB, CR, LF or byte 0 inside a value written as a blank.
// Every line ends with CR LF. False when a field is missing or the device refused a write.
bool WriteTabText(const TTable& table, const std::vector<std::string>& headerTitles, QIODevice& out);

}  // namespace korvex
