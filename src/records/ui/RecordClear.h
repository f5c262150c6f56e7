#pragma once

#include <functional>

namespace korvex {

class TTable;

// The Clear command (btnRecordNew, btnNew): asks "Are you sure that you want to delete this record?" and on Yes
// empties the table with its change list, then runs afterClear (the chart's Clear and the page box).
// Returns whether it cleared.
bool ClearRecords(TTable& cds1, const std::function<void()>& afterClear);

}  // namespace korvex
