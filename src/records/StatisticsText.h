#pragma once

#include <string>
#include <string_view>

namespace korvex {

class TRecordStatistics;

// The statistics as tab-separated lines for a spreadsheet (UTF-8, LF after every line): a title line,
// one line per main and secondary reading with plain figures in SI base units, then the tolerance check
// and its histogram when a nominal is set.
std::string StatisticsText(const TRecordStatistics& statistics, std::string_view decimalSep);

}  // namespace korvex
